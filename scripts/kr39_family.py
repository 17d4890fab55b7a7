"""The KR39 module family shipped in modules/: groups, modules and their parameters.

Input and output counts are bytes of polled I/O data, so that the station's totals are the
sizes of its polled connection.

Read by make_module_data.py (pn.dat, the master template, the module description files) and
make_module_pictures.py (the node and module pictures).
"""

NODE = "KR39NODE000001"
NODE_DESCRIPTION = "DeviceNet bus node, 4 branches"
NODE_INPUTS = 2  # the node's status word leads the input data
NODE_OUTPUTS = 0

GROUPS = [
    ("01", "Digital input modules"),
    ("02", "Digital output modules"),
    ("03", "Analog input modules"),
    ("04", "Analog output modules"),
    ("05", "Special and power modules"),
]

# Data types of the parameters: (EDS code, size in bytes).
USINT = ("0xC6", 1)
UINT = ("0xC7", 2)
INT = ("0xC3", 2)
UDINT = ("0xC8", 4)
BYTE = ("0xD1", 1)
BOOL = ("0xC1", 1)

# Parameter descriptor bits of the EDS: enumerated strings, read only (set by hardware),
# monitor (a measured value).
ENUMERATED = 0x0002
READ_ONLY = 0x0010
MONITOR = 0x0020

OFF_ON = [(0, "Off"), (1, "On")]
FAULT_ACTION = [(0, "Clear"), (1, "Hold last"), (2, "Safe value")]
DI_FILTER = [(0, "0.1 ms"), (1, "1 ms"), (2, "3 ms"), (3, "10 ms")]
AC_FILTER = [(0, "10 ms"), (1, "20 ms")]
AI_FILTER = [(0, "50 Hz"), (1, "60 Hz"), (2, "Off")]


def enum_param(name, help_text, choices, default, data=USINT, units="", flags=0):
    return {"name": name, "help": help_text, "type": data, "units": units,
            "min": choices[0][0], "max": choices[-1][0], "default": default, "enum": choices,
            "flags": flags}


def value_param(name, help_text, data, low, high, default, units="", flags=0):
    return {"name": name, "help": help_text, "type": data, "units": units,
            "min": low, "max": high, "default": default, "enum": None, "flags": flags}


def descriptor(param):
    """The descriptor of a parameter: the enumerated-strings bit exactly when it has an
    enumeration, plus its own read-only and monitor bits."""
    return (ENUMERATED if param["enum"] else 0) | param["flags"]


def channels(count, make):
    return [make(ch) for ch in range(1, count + 1)]


# Each module: part number, group, inputs and outputs in bytes, description, picture style
# (short label, LED count, terminal count), parameters.
MODULES = [
    {"part": "KR39DI08DC24", "group": "01", "inputs": 1, "outputs": 0,
     "description": "8 DI 24 V DC, 3 ms", "label": "DI8", "leds": 8, "terminals": 10,
     "params": [
         enum_param("Filter", "Input delay of channels 1-8", DI_FILTER, 2, units="ms"),
         enum_param("Sensor diag", "Report a short circuit of the sensor supply", OFF_ON, 1, BOOL),
     ]},
    {"part": "KR39DI16DC24", "group": "01", "inputs": 2, "outputs": 0,
     "description": "16 DI 24 V DC, 3 ms", "label": "DI16", "leds": 16, "terminals": 18,
     "params": [
         enum_param("Filter 1-8", "Input delay of channels 1-8", DI_FILTER, 2, units="ms"),
         enum_param("Filter 9-16", "Input delay of channels 9-16", DI_FILTER, 2, units="ms"),
         enum_param("Sensor diag", "Report a short circuit of the sensor supply", OFF_ON, 1, BOOL),
     ]},
    {"part": "KR39DI04AC230", "group": "01", "inputs": 1, "outputs": 0,
     "description": "4 DI 120/230 V AC", "label": "DI4 AC", "leds": 4, "terminals": 8,
     "params": [
         enum_param("Filter", "Input delay of channels 1-4", AC_FILTER, 0, units="ms"),
     ]},
    {"part": "KR39DO08DC24", "group": "02", "inputs": 0, "outputs": 1,
     "description": "8 DO 24 V DC, 0.5 A", "label": "DO8", "leds": 8, "terminals": 10,
     "params": [
         enum_param("Fault action", "Output state after a bus fault", FAULT_ACTION, 0),
         value_param("Safe value", "Outputs 1-8 after a bus fault, bit 0 is channel 1", BYTE, 0, 255, 0),
         enum_param("Short diag", "Report short circuit and overload", OFF_ON, 1, BOOL),
     ]},
    {"part": "KR39DO16DC24", "group": "02", "inputs": 0, "outputs": 2,
     "description": "16 DO 24 V DC, 0.5 A", "label": "DO16", "leds": 16, "terminals": 18,
     "params": [
         enum_param("Fault action", "Output state after a bus fault", FAULT_ACTION, 0),
         value_param("Safe 1-8", "Outputs 1-8 after a bus fault, bit 0 is channel 1", BYTE, 0, 255, 0),
         value_param("Safe 9-16", "Outputs 9-16 after a bus fault, bit 0 is channel 9", BYTE, 0, 255, 0),
     ]},
    {"part": "KR39DO04RLY", "group": "02", "inputs": 0, "outputs": 1,
     "description": "4 DO relay 230 V AC, 2 A", "label": "REL4", "leds": 4, "terminals": 8,
     "params": [
         enum_param("Fault action", "Contact state after a bus fault", FAULT_ACTION, 0),
         value_param("Safe value", "Contacts 1-4 after a bus fault, bit 0 is contact 1", BYTE, 0, 15, 0),
     ]},
    {"part": "KR39AI04U10", "group": "03", "inputs": 8, "outputs": 0,
     "description": "4 AI 0-10 V, 16 bit", "label": "AI4 U", "leds": 4, "terminals": 10,
     "params": channels(4, lambda ch: enum_param(
         "Ch%d range" % ch, "Measuring range of channel %d" % ch,
         [(0, "0-10 V"), (1, "+/-10 V"), (2, "Channel off")], 0, units="V")) + [
         enum_param("Mains filter", "Suppression of the mains frequency", AI_FILTER, 0, units="Hz"),
     ]},
    {"part": "KR39AI04I20", "group": "03", "inputs": 8, "outputs": 0,
     "description": "4 AI 0/4-20 mA, 16 bit", "label": "AI4 I", "leds": 4, "terminals": 10,
     "params": channels(4, lambda ch: enum_param(
         "Ch%d range" % ch, "Measuring range of channel %d" % ch,
         [(0, "0-20 mA"), (1, "4-20 mA"), (2, "Channel off")], 1, units="mA")) + [
         enum_param("Wire break", "Report a broken wire in the 4-20 mA range", OFF_ON, 1, BOOL),
     ]},
    {"part": "KR39AI04RTD", "group": "03", "inputs": 8, "outputs": 0,
     "description": "4 AI Pt100/Pt1000/Ni100", "label": "RTD4", "leds": 4, "terminals": 12,
     "params": channels(4, lambda ch: enum_param(
         "Ch%d sensor" % ch, "Sensor type of channel %d, 2 or 3 wire" % ch,
         [(0, "Pt100"), (1, "Pt1000"), (2, "Ni100"), (3, "Channel off")], 0)) + [
         enum_param("Unit", "Unit of the measured values, resolution 0.1",
                    [(0, "deg C"), (1, "deg F")], 0),
     ]},
    {"part": "KR39AI02TC", "group": "03", "inputs": 4, "outputs": 0,
     "description": "2 AI thermocouple J/K/N/S", "label": "TC2", "leds": 2, "terminals": 6,
     "params": channels(2, lambda ch: enum_param(
         "Ch%d type" % ch, "Thermocouple type of channel %d" % ch,
         [(0, "Type J"), (1, "Type K"), (2, "Type N"), (3, "Type S"), (4, "Channel off")], 1)) + [
         enum_param("Cold junction", "Cold junction compensation",
                    [(0, "Internal"), (1, "External Pt100")], 0),
     ]},
    {"part": "KR39AO02U10", "group": "04", "inputs": 0, "outputs": 4,
     "description": "2 AO 0-10 V, 16 bit", "label": "AO2 U", "leds": 2, "terminals": 6,
     "params": channels(2, lambda ch: enum_param(
         "Ch%d range" % ch, "Output range of channel %d" % ch, [(0, "0-10 V"), (1, "+/-10 V")], 0,
         units="V")) + [
         enum_param("Fault action", "Output value after a bus fault", FAULT_ACTION, 0),
         value_param("Safe value", "Value of both channels after a bus fault", INT, -32768, 32767, 0),
     ]},
    {"part": "KR39AO04I20", "group": "04", "inputs": 0, "outputs": 8,
     "description": "4 AO 0/4-20 mA, 16 bit", "label": "AO4 I", "leds": 4, "terminals": 10,
     "params": channels(4, lambda ch: enum_param(
         "Ch%d range" % ch, "Output range of channel %d" % ch,
         [(0, "0-20 mA"), (1, "4-20 mA"), (2, "Channel off")], 1, units="mA")) + [
         enum_param("Fault action", "Output value after a bus fault", FAULT_ACTION, 0),
         value_param("Safe value", "Value of all channels after a bus fault", INT, 0, 32767, 0),
     ]},
    {"part": "KR39CNT02", "group": "05", "inputs": 8, "outputs": 2,
     "description": "2 counters 100 kHz, inputs a, b, c per channel", "label": "CNT2", "leds": 6,
     "terminals": 10,
     "params": [p for ch in (1, 2) for p in (
         enum_param("Ch%d mode" % ch, "Counting mode of channel %d" % ch,
                    [(0, "Up"), (1, "Up/down"), (2, "A/B x1"), (3, "A/B x4")], 0),
         enum_param("Ch%d filter" % ch, "Input filter of channel %d" % ch,
                    [(0, "100 kHz"), (1, "10 kHz"), (2, "1 kHz")], 0, units="kHz"),
         value_param("Ch%d preset" % ch, "Value loaded at a c input edge", UDINT, 0, 4294967295, 0),
     )]},
    {"part": "KR39SER01", "group": "05", "inputs": 8, "outputs": 8,
     "description": "Serial interface RS-232 C / RS-485", "label": "RS232", "leds": 3, "terminals": 6,
     "params": [
         enum_param("Baud rate", "Transmission rate",
                    [(0, "1200 Bd"), (1, "2400 Bd"), (2, "4800 Bd"), (3, "9600 Bd"), (4, "19200 Bd"),
                     (5, "38400 Bd"), (6, "57600 Bd"), (7, "115200 Bd")], 3, units="Bd"),
         enum_param("Data format", "Data bits, parity, stop bits",
                    [(0, "7E1"), (1, "7O1"), (2, "8N1"), (3, "8E1"), (4, "8O1")], 2),
         enum_param("Interface", "Physical interface",
                    [(0, "RS-232 C"), (1, "RS-485 2 wire")], 0),
     ]},
    {"part": "KR39PS24", "group": "05", "inputs": 1, "outputs": 0,
     "description": "Power feed 24 V DC, 10 A", "label": "PWR", "leds": 2, "terminals": 4,
     "params": [
         enum_param("Supply diag", "Report a missing field supply", OFF_ON, 1, BOOL),
     ]},
]


def _check_family():
    """A module that offers "Safe value" as its fault action has a safe value to apply."""
    for m in MODULES:
        offers = any(p["enum"] and (2, "Safe value") in p["enum"] for p in m["params"])
        has = any(p["name"].startswith("Safe") for p in m["params"])
        assert offers == has, m["part"] + ": fault action and safe value parameter differ"
        for p in m["params"]:
            text = p["name"] + p["help"] + p["units"] + "".join(t for _, t in p["enum"] or [])
            assert text.isascii(), m["part"] + ": EDS files are ASCII: " + text


_check_family()

GROUP_COLOURS = {
    "01": (40, 96, 190),   # digital inputs: blue
    "02": (220, 120, 20),  # digital outputs: orange
    "03": (40, 150, 70),   # analog inputs: green
    "04": (130, 60, 160),  # analog outputs: violet
    "05": (110, 110, 110), # special and power: grey
}

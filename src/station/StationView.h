#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <array>
#include <filesystem>

#include "station/Station.h"

namespace kr39 {

// An image element of the station view: shows one picture at its own size from the element's
// top-left corner, clipped to the element, or nothing. Pixels are never smoothed, so the
// pictures stay sharp when the screen scales them.
class ImageElement : public QWidget {
public:
    explicit ImageElement(QWidget* parent);

    void SetImage(const QImage& image);
    void Clear() { SetImage(QImage()); }
    const QImage& Image() const { return m_image; }
    bool HasPicture() const { return !m_image.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

// The station view "picVexaConf": a white panel of 585 x 617 pixels with the node picture at
// the top and the 16 module slots below it in four columns (branches 1, 3, 4, 2 from left to
// right), the bus segments, slot and module numbers, part numbers, descriptions and totals.
// Images and slot-number labels 1 to 16 take drops from the catalog tree; a double-click on an
// image asks for the removal of its module. The view draws what the station rules compute and
// never changes the slots itself.
class StationView : public QWidget {
    Q_OBJECT
public:
    explicit StationView(QWidget* parent = nullptr);

    // Redraws all 17 slots, loading every node and module picture from modulesDir again, and
    // stores the totals into station.TotalInputs/TotalOutputs. A picture that cannot be loaded
    // shows the placeholder; nothing stops the redraw.
    void DrawStation(Station& station, const std::filesystem::path& modulesDir);

    QSize sizeHint() const override;

    // The elements, by their index as in their object names (picVexaIO_0 ...).
    ImageElement* Picture(int slot) const { return m_pictures.at(static_cast<std::size_t>(slot)); }
    ImageElement* BusSegment(int slot) const { return m_busSegments.at(static_cast<std::size_t>(slot)); }

signals:
    void SlotDropped(int slot); // a drop on image or slot-number label 1..16
    void SlotDoubleClicked(int slot); // a double-click on image 0..16

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateElements();
    void FitTotalsCaptions();
    void ShowDragFeedback(int slot);
    void RemoveDragFeedback(int slot);

    // Index 0 of the arrays that only exist for slots 1..16 stays empty.
    std::array<ImageElement*, SlotCount> m_pictures {};
    std::array<ImageElement*, SlotCount> m_busSegments {};
    std::array<QLabel*, SlotCount> m_slotLabels {};
    std::array<QLabel*, SlotCount> m_moduleNumbers {};
    std::array<QLabel*, SlotCount> m_partNoLabels {};
    std::array<QLabel*, SlotCount> m_descriptionLabels {};
    QLabel* m_totalInputsCaption = nullptr;
    QLabel* m_totalInputs = nullptr;
    QLabel* m_totalOutputsCaption = nullptr;
    QLabel* m_totalOutputs = nullptr;

    // The kind of every slot at the last redraw; the drag feedback depends on it.
    std::array<SlotKind, SlotCount> m_kinds {};
};

} // namespace kr39

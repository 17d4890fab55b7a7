#include "station/StationView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cstdio>
#include <string>

#include "catalog/CatalogTree.h"
#include "resources/ResourcePictures.h"
#include "resources/Windows1252.h"
#include "util/FileIo.h"
#include "util/Paths.h"

namespace kr39 {

namespace {

// The view is designed in twips; 15 twips make one device-independent pixel.
constexpr int Px(int twips)
{
    return twips / 15;
}

QRect TwipRect(int left, int top, int width, int height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

// Left edge of the column of slot 1..16, in twips: branches 1, 3, 4, 2 from left to right.
int ColumnLeft(int slot)
{
    constexpr std::array<int, BranchCount> branchLeft {600, 7080, 2760, 4920};
    return branchLeft[static_cast<std::size_t>(BranchOf(slot) - 1)];
}

// Top edge of the row of slot 1..16, in twips: a branch runs from top to bottom.
int RowTop(int slot)
{
    return 1920 + 1800 * ((slot - 1) % SlotsPerBranch);
}

QString IndexedName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

// A picture file of the module library, decoded; a null image when the file is missing,
// unreadable or holds no picture. The file is read again at every call. A name that would
// leave the folder (a separator in it) counts as missing. On a file system that tells letter
// case apart, a file whose name differs only in case is found too.
QImage LoadLibraryPicture(const std::filesystem::path& modulesDir, const std::string& fileName)
{
    if (fileName.find_first_of("/\\") != std::string::npos)
        return {};
    Result<std::string> bytes = ReadFileBytes(modulesDir / fileName);
    if (!bytes) {
        const std::filesystem::path other = FindNoCase(modulesDir, fileName);
        if (other.filename() == fileName)
            return {};
        bytes = ReadFileBytes(other);
        if (!bytes)
            return {};
    }
    QImage image;
    const std::string& data = bytes.Value();
    const QByteArrayView view(data.data(), static_cast<qsizetype>(data.size()));
    // The library's pictures are Windows bitmaps; any other picture format is taken as well.
    if (!image.loadFromData(view, "BMP"))
        image.loadFromData(view);
    return image;
}

std::string NodePictureName(const std::string& partNo, int branchMask)
{
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "_%02d", branchMask);
    return partNo + suffix + ".bmp";
}

// A label of a part number or description: a text wider than the label ends in "..." on screen;
// the text itself is at most a few hundred characters (DecodeForDisplay).
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        style()->drawItemText(
            &painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown, foregroundRole());
    }
};

// Shows the bytes of a part number or description, and the same text as the label's tooltip.
void ShowData(QLabel* label, const std::string& bytes)
{
    const QString text = DecodeForDisplay(bytes);
    label->setText(text);
    label->setToolTip(ToolTipText(text));
}

void ClearData(QLabel* label)
{
    label->clear();
    label->setToolTip(QString());
}

template <class Label = QLabel>
QLabel* MakeLabel(QWidget* parent, const QString& name, const QRect& geometry, Qt::Alignment alignment,
    bool whiteBackground)
{
    auto* label = new Label(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    // Descriptions are data, never markup.
    label->setTextFormat(Qt::PlainText);
    if (whiteBackground) {
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        label->setPalette(palette);
    }
    return label;
}

bool IsCatalogDrag(const QEvent* event)
{
    const QMimeData* data = static_cast<const QDropEvent*>(event)->mimeData();
    return data && data->hasFormat(QLatin1String(CatalogTree::DragMimeType));
}

} // namespace

ImageElement::ImageElement(QWidget* parent)
    : QWidget(parent)
{
}

void ImageElement::SetImage(const QImage& image)
{
    if (image.isNull() && m_image.isNull())
        return;
    m_image = image;
    update();
}

void ImageElement::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    // One picture pixel per device-independent pixel; no smoothing when the screen scales.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QImage image = m_image;
    image.setDevicePixelRatio(1.0);
    painter.drawImage(QPoint(0, 0), image);
}

StationView::StationView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picVexaConf"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    resize(sizeHint());
    CreateElements();
}

QSize StationView::sizeHint() const
{
    return QSize(Px(8775), Px(9255));
}

void StationView::CreateElements()
{
    // Pictures first, labels after them, so that the labels lie in front of the pictures.
    auto* node = new ImageElement(this);
    node->setObjectName(QStringLiteral("picVexaIO_0"));
    node->setGeometry(TwipRect(600, 120, 7530, 1200));
    node->installEventFilter(this);
    m_pictures[0] = node;

    for (int slot = 1; slot < SlotCount; ++slot) {
        const int x = ColumnLeft(slot);
        const int y = RowTop(slot);
        const auto i = static_cast<std::size_t>(slot);

        auto* bus = new ImageElement(this);
        bus->setObjectName(IndexedName("imgBus", slot));
        bus->setGeometry(TwipRect(x + 90, y - 600, 105, 600));
        m_busSegments[i] = bus;

        auto* picture = new ImageElement(this);
        picture->setObjectName(IndexedName("picVexaIO", slot));
        picture->setGeometry(TwipRect(x, y, 1050, 1200));
        picture->setAcceptDrops(true);
        picture->installEventFilter(this);
        m_pictures[i] = picture;
    }

    const QColor red(255, 0, 0);
    for (int slot = 0; slot < SlotCount; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        if (slot == 0) {
            m_partNoLabels[0] = MakeLabel<ElidedLabel>(this, QStringLiteral("lblModPN_0"),
                TwipRect(3360, 1320, 2055, 255), Qt::AlignHCenter | Qt::AlignTop, false);
            m_descriptionLabels[0] = MakeLabel<ElidedLabel>(this, QStringLiteral("lblModDesc_0"),
                TwipRect(3360, 1560, 2055, 255), Qt::AlignHCenter | Qt::AlignTop, false);
            continue;
        }
        const int x = ColumnLeft(slot);
        const int y = RowTop(slot);

        // The slot number is one less than the slot: "0" on slot 1 up to "15" on slot 16.
        QLabel* number = MakeLabel(
            this, IndexedName("lblSlot", slot), TwipRect(x + 360, y + 480, 255, 255), Qt::AlignCenter, true);
        number->setText(QString::number(slot - 1));
        number->setAcceptDrops(true);
        number->installEventFilter(this);
        m_slotLabels[i] = number;

        QLabel* module = MakeLabel(
            this, IndexedName("lblMod", slot), TwipRect(x + 840, y, 255, 255), Qt::AlignCenter, false);
        QPalette palette = module->palette();
        palette.setColor(QPalette::WindowText, red);
        module->setPalette(palette);
        module->hide();
        m_moduleNumbers[i] = module;

        m_partNoLabels[i] = MakeLabel<ElidedLabel>(this, IndexedName("lblModPN", slot),
            TwipRect(x - 480, y + 1200, 2055, 255), Qt::AlignHCenter | Qt::AlignTop, false);
        // The description under slot 1 starts at 240, not at 120 like its part number.
        const int descriptionLeft = slot == 1 ? 240 : x - 480;
        m_descriptionLabels[i] = MakeLabel<ElidedLabel>(this, IndexedName("lblModDesc", slot),
            TwipRect(descriptionLeft, y + 1440, 2055, 255), Qt::AlignHCenter | Qt::AlignTop, false);
    }

    // The captions carry the numbers of their texts in the string table until the window's
    // texts are put in.
    m_totalInputsCaption = MakeLabel(this, QStringLiteral("lblTotInp"), TwipRect(120, 120, 855, 255),
        Qt::AlignRight | Qt::AlignVCenter, true);
    m_totalInputsCaption->setText(QStringLiteral("1034"));
    m_totalInputsCaption->setProperty("Tag", QStringLiteral("1034"));
    m_totalInputs = MakeLabel(this, QStringLiteral("lblTotInputs"), TwipRect(1080, 120, 375, 255),
        Qt::AlignLeft | Qt::AlignVCenter, true);
    m_totalInputs->setText(QStringLiteral("0"));
    m_totalOutputsCaption = MakeLabel(this, QStringLiteral("lblTotOut"), TwipRect(120, 360, 855, 255),
        Qt::AlignRight | Qt::AlignVCenter, true);
    m_totalOutputsCaption->setText(QStringLiteral("1035"));
    m_totalOutputsCaption->setProperty("Tag", QStringLiteral("1035"));
    m_totalOutputs = MakeLabel(this, QStringLiteral("lblTotOutputs"), TwipRect(1080, 360, 375, 255),
        Qt::AlignLeft | Qt::AlignVCenter, true);
    m_totalOutputs->setText(QStringLiteral("0"));
}

void StationView::DrawStation(Station& station, const std::filesystem::path& modulesDir)
{
    const SlotTable& table = station.Slots;
    const StationSummary summary = SummarizeStation(table);
    FitTotalsCaptions();
    station.TotalInputs = summary.TotalInputs;
    station.TotalOutputs = summary.TotalOutputs;

    // The node: its picture for the branches in use, else the placeholder.
    const SlotRecord& node = table[0];
    QImage nodePicture = LoadLibraryPicture(modulesDir, NodePictureName(node.PartNo, summary.BranchMask));
    m_pictures[0]->SetImage(nodePicture.isNull() ? ResourceBitmap(BitmapPlaceholder) : nodePicture);
    ShowData(m_partNoLabels[0], node.PartNo);
    ShowData(m_descriptionLabels[0], node.Description);
    m_kinds[0] = SlotKind::Module;

    for (int slot = 1; slot < SlotCount; ++slot) {
        const auto i = static_cast<std::size_t>(slot);
        const SlotRecord& record = table[i];
        m_kinds[i] = KindOf(record.PartNo);
        switch (m_kinds[i]) {
        case SlotKind::Empty:
            m_pictures[i]->Clear();
            m_busSegments[i]->Clear();
            m_slotLabels[i]->show();
            m_moduleNumbers[i]->hide();
            ClearData(m_partNoLabels[i]);
            ClearData(m_descriptionLabels[i]);
            break;
        case SlotKind::Filler:
            m_pictures[i]->SetImage(ResourceBitmap(BitmapFiller));
            m_busSegments[i]->SetImage(ResourceBitmap(BitmapBusSegment));
            m_slotLabels[i]->show();
            m_moduleNumbers[i]->hide();
            ClearData(m_partNoLabels[i]);
            ClearData(m_descriptionLabels[i]);
            break;
        case SlotKind::Module: {
            const std::string fileName = record.PartNo + summary.PictureVariant[i] + ".bmp";
            QImage picture = LoadLibraryPicture(modulesDir, fileName);
            m_pictures[i]->SetImage(picture.isNull() ? ResourceBitmap(BitmapPlaceholder) : picture);
            m_busSegments[i]->SetImage(ResourceBitmap(BitmapBusSegment));
            m_slotLabels[i]->hide();
            m_moduleNumbers[i]->setText(QString::number(summary.ModuleNumbers[i]));
            m_moduleNumbers[i]->show();
            ShowData(m_partNoLabels[i], record.PartNo);
            ShowData(m_descriptionLabels[i], record.Description);
            break;
        }
        }
    }

    m_totalInputs->setText(QString::number(summary.TotalInputs));
    m_totalOutputs->setText(QString::number(summary.TotalOutputs));
}

void StationView::FitTotalsCaptions()
{
    // The captions keep the view's font in every language: one wider than its place grows to
    // the left, to the view's edge, and beyond that moves the totals to the right.
    constexpr int kMargin = 2;
    const int right = Px(120 + 855);
    const QFontMetrics metrics = m_totalInputsCaption->fontMetrics();
    const int width = std::max({Px(855), metrics.horizontalAdvance(m_totalInputsCaption->text()) + kMargin,
        metrics.horizontalAdvance(m_totalOutputsCaption->text()) + kMargin});
    const int left = std::max(0, right - width);
    const int push = left + width - right;
    for (QLabel* caption : {m_totalInputsCaption, m_totalOutputsCaption})
        caption->setGeometry(left, caption->y(), width, caption->height());
    for (QLabel* total : {m_totalInputs, m_totalOutputs})
        total->move(Px(1080) + push, total->y());
}

void StationView::ShowDragFeedback(int slot)
{
    const auto i = static_cast<std::size_t>(slot);
    if (m_kinds[i] == SlotKind::Empty)
        m_pictures[i]->SetImage(ResourceBitmap(BitmapEmptyFeedback));
    else if (m_kinds[i] == SlotKind::Filler)
        m_pictures[i]->SetImage(ResourceBitmap(BitmapFillerFeedback));
}

void StationView::RemoveDragFeedback(int slot)
{
    const auto i = static_cast<std::size_t>(slot);
    if (m_kinds[i] == SlotKind::Empty)
        m_pictures[i]->Clear();
    else if (m_kinds[i] == SlotKind::Filler)
        m_pictures[i]->SetImage(ResourceBitmap(BitmapFiller));
}

bool StationView::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }

    // Which slot the element belongs to: a slot-number label passes its drag events on as if
    // they had reached the image of its slot.
    int slot = -1;
    bool isPicture = false;
    for (int s = 0; s < SlotCount && slot < 0; ++s) {
        const auto i = static_cast<std::size_t>(s);
        if (watched == m_pictures[i]) {
            slot = s;
            isPicture = true;
        } else if (watched == m_slotLabels[i]) {
            slot = s;
        }
    }
    if (slot < 0)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::DragEnter:
        if (slot == 0 || !IsCatalogDrag(event))
            return false;
        ShowDragFeedback(slot);
        static_cast<QDragEnterEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::DragMove:
        if (slot == 0 || !IsCatalogDrag(event))
            return false;
        static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::DragLeave:
        if (slot == 0)
            return false;
        RemoveDragFeedback(slot);
        return true;
    case QEvent::Drop:
        if (slot == 0 || !IsCatalogDrag(event))
            return false;
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        // The drag is over: the slot shows its own picture again, also when the drop changes
        // nothing and no redraw follows.
        RemoveDragFeedback(slot);
        emit SlotDropped(slot);
        return true;
    case QEvent::MouseButtonDblClick:
        if (!isPicture || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        emit SlotDoubleClicked(slot);
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

} // namespace kr39

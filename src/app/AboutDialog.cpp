#include "app/AboutDialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/AppIdentity.h"
#include "app/Logo.h"
#include "app/ResourceStrings.h"

namespace kr39 {

namespace {

QRect Twips(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* tag, const QRect& geometry)
{
    auto* label = new QLabel(QLatin1String(tag), parent);
    label->setObjectName(QLatin1String(name));
    label->setProperty(TagProperty, QLatin1String(tag));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

// A separator line drawn as a thin filled strip.
void MakeLine(QWidget* parent, const char* name, const QRect& geometry, const QColor& colour)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
}

} // namespace

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setProperty(TagProperty, QStringLiteral("1017"));
    setModal(true);
    setFixedSize(TwipsToPixels(5865), TwipsToPixels(3630));

    m_picIcon = new QLabel(this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setGeometry(Twips(240, 240, 540, 540));
    m_picIcon->setAlignment(Qt::AlignCenter);

    m_lblTitle = MakeLabel(this, "lblTitle", "1022", Twips(1050, 240, 4092, 480));
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblVersion = MakeLabel(this, "lblVersion", "1021", Twips(1050, 780, 4092, 225));
    m_lblDescription = MakeLabel(this, "lblDescription", "1023", Twips(1050, 1125, 4092, 1170));

    // Line1(1): grey, one pixel; Line1(0): white, two pixels, just below it.
    MakeLine(this, "Line1_1", QRect(TwipsToPixels(225), TwipsToPixels(2430), TwipsToPixels(5657 - 225), 1),
        QColor(128, 128, 128));
    MakeLine(this, "Line1_0", QRect(TwipsToPixels(240), TwipsToPixels(2445), TwipsToPixels(5657 - 240), 2),
        QColor(255, 255, 255));

    m_lblDisclaimer = MakeLabel(this, "lblDisclaimer", "1020", Twips(255, 2625, 3870, 825));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setProperty(TagProperty, QStringLiteral("1019"));
    m_cmdOK->setGeometry(Twips(4245, 3120, 1467, 345));
    m_cmdOK->setDefault(true);
    m_cmdOK->setAutoDefault(true);
    // OK is the default button (Enter) and the cancel button (Escape, through reject()).
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Load();
}

void AboutDialog::Load()
{
    ApplyResourceStrings(this);
    setWindowTitle(AppTitleText());
    setWindowIcon(AppIcon());
    m_lblTitle->setText(AppTitleText());
    m_lblVersion->setText(VersionText());
    m_lblDescription->setText(Res(IdsAboutDescription));
    m_lblDisclaimer->setText(LegalCopyright());
    m_picIcon->setPixmap(AboutPicture(m_picIcon->size()));
}

} // namespace kr39

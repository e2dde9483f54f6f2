// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "LocaAboutBox.h"

#include "DialogTools.h"
#include "Glyphs.h"
#include "Shell.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedLayout>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

/// The picture at the top: the program's icon on a blue band with its name.
class TAboutPicture : public QWidget {
public:
    explicit TAboutPicture(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(u"ImgPicture"_s);
        setMinimumSize(360, 150);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient band(r.topLeft(), r.bottomRight());
        band.setColorAt(0, QColor(0x1f, 0x5f, 0xb0));
        band.setColorAt(1, QColor(0x0d, 0x2f, 0x66));
        p.setPen(QColor(0x0a, 0x24, 0x50));
        p.setBrush(band);
        p.drawRect(r);

        const int iconSize = std::min(height() - 32, 112);
        const QRect iconRect(20, (height() - iconSize) / 2, iconSize, iconSize);
        Glyphs::appIcon().paint(&p, iconRect);

        const QRect text = rect().adjusted(iconRect.right() + 20, 0, -16, 0);
        QFont title = font();
        title.setPixelSize(34);
        title.setBold(true);
        p.setFont(title);
        p.setPen(Qt::white);
        const int titleHeight = QFontMetrics(title).height();
        p.drawText(QRect(text.left(), height() / 2 - titleHeight, text.width(), titleHeight),
            Qt::AlignLeft | Qt::AlignBottom, u"Rufwerk"_s);
        QFont sub = font();
        sub.setPixelSize(13);
        sub.setItalic(true);
        p.setFont(sub);
        p.setPen(QColor(0xff, 0xd3, 0x4d));
        p.drawText(QRect(text.left(), height() / 2 + 4, text.width(), height() / 2 - 8),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, u"DFÜ-Verbindungen anlegen,\nbetreiben und überwachen"_s);
    }
};

QLabel *framedLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMargin(4);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TLocaAboutBox::TLocaAboutBox(const TVersionInfo &version, QWidget *parent)
    : QDialog(parent,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint)
    , FVersion(version)
    , FPicture(new TAboutPicture(this))
    , FList(new QTreeWidget(this))
    , FProductName(framedLabel("LblProductName", this))
    , FVersionLabel(framedLabel("LblVersion", this))
    , FComments(framedLabel("LblComments", this))
{
    setObjectName(u"LocaAboutBox"_s);
    setWindowTitle(u"Programm-Info"_s);

    FList->setObjectName(u"LVFileInfo"_s);
    FList->setColumnCount(2);
    FList->setHeaderLabels({ u"Ressource"_s, u"Wert"_s });
    FList->setRootIsDecorated(false);
    FList->setAlternatingRowColors(true);
    FList->header()->resizeSection(0, 125);
    FList->header()->setStretchLastSection(true);

    auto *place = new QWidget(this);
    FPlace = new QStackedLayout(place);
    FPlace->addWidget(FPicture);
    FPlace->addWidget(FList);
    FPlace->setCurrentWidget(FPicture);

    QFont bold = FProductName->font();
    bold.setBold(true);
    FProductName->setFont(bold);

    QPushButton *fileInfo = CreateHintButton(this, u"BtnFileInfo"_s, u"&Datei-Info ein / aus"_s, QString());
    QPushButton *mail = CreateHintButton(this, u"BtnMail"_s, u"Sende eMail"_s, u"Sende eMail an Kovatek"_s);
    QPushButton *end = CreateHintButton(this, u"BtnEnd"_s, u"Ende"_s, u"Schließen"_s);
    end->setDefault(true);
    connect(fileInfo, &QPushButton::clicked, this, &TLocaAboutBox::BtnFileInfoClick);
    connect(mail, &QPushButton::clicked, this, &TLocaAboutBox::BtnMailClick);
    connect(end, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(fileInfo);
    buttons->addStretch();
    buttons->addWidget(mail);
    buttons->addWidget(end);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(place, 1);
    layout->addWidget(FProductName);
    layout->addWidget(FVersionLabel);
    layout->addWidget(FComments);
    layout->addLayout(buttons);

    FormActivate();
    setFixedSize(470, sizeHint().height() + 20);
}

void TLocaAboutBox::FormActivate()
{
    FList->clear();
    for (const auto &[label, value] : FVersion.Rows()) {
        auto *item = new QTreeWidgetItem({ label, value });
        item->setToolTip(1, value); // long values do not fit the column
        FList->addTopLevelItem(item);
    }
    FVersionLabel->setText(u"Version: "_s + FVersion.ProductVersion);
    FProductName->setText(ApplicationTitle());
    FComments->setText(FVersion.Comments);
}

void TLocaAboutBox::BtnFileInfoClick()
{
    FPlace->setCurrentWidget(FPlace->currentWidget() == FList ? FPicture : static_cast<QWidget *>(FList));
}

void TLocaAboutBox::BtnMailClick()
{
    // Without a mail program nothing is said; the address stays in the box.
    Shell::instance().open(
        u"mailto:"_s + SupportMailAddress() + u"?subject=Kovatek%20Rufwerk%20"_s + FVersion.ProductVersion);
}

bool TLocaAboutBox::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TLocaAboutBox::Execute(QWidget *parent)
{
    TLocaAboutBox box(TVersionInfo::Program(), parent);
    CenterOnDesktop(&box);
    box.exec();
}

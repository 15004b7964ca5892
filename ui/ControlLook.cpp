#include "ControlLook.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyledItemDelegate>

#include "TfrmModule.h"

namespace {
const QColor HighlightText = ColorYellow;
}

QFont SansFont(int pixelSize, bool bold) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setFamilies({font.family(), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK TC")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void SetHighlightLook(TPanel* panel) {
    panel->setBorder(TPanel::Border::Single);
    panel->setColors(panel->palette().color(QPalette::Highlight), HighlightText);
    panel->setFont(SansFont(16, true));
}

void SetHighlightColours(QComboBox* list) {
    QPalette colours = list->palette();
    const QColor highlight = colours.color(QPalette::Highlight);
    for (QPalette::ColorRole role : {QPalette::Button, QPalette::Base, QPalette::Window})
        colours.setColor(role, highlight);
    for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
        colours.setColor(role, HighlightText);
    list->setPalette(colours);

    // In the open list the chosen item is shown inverted, so it stays visible on the
    // highlight-coloured ground.
    QPalette listColours = colours;
    listColours.setColor(QPalette::Highlight, HighlightText);
    listColours.setColor(QPalette::HighlightedText, highlight);
    list->view()->setPalette(listColours);
}

QIcon WordPicture(const QString& word, qreal devicePixelRatio) {
    const QSize size(34, 16);
    QPixmap picture(size * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(ColorRed);
    painter.setFont(SansFont(15, false));
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, word);
    painter.end();
    return QIcon(picture);
}

void SetItemHeight(QComboBox* list, int height) {
    // The style's own menu delegate of the open list sizes its rows itself and ignores the
    // items' size hints; the plain delegate takes them.
    list->setItemDelegate(new QStyledItemDelegate(list));
    for (int i = 0; i < list->count(); ++i)
        list->setItemData(i, QSize(list->width(), height), Qt::SizeHintRole);
}

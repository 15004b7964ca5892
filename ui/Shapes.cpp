#include "Shapes.h"

#include <QPainter>
#include <QPalette>

TPanel::TPanel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);  // a caption is never markup, whatever the reader sent
    setAlignment(Qt::AlignCenter);
    setWordWrap(false);
    setAutoFillBackground(true);
    setBorder(Border::Single);
}

void TPanel::setBorder(Border border) {
    border_ = border;
    const int width = border == Border::Single ? 1 : 2;
    setContentsMargins(width, width, width, width);
    update();
}

void TPanel::setColors(const QColor& background, const QColor& text) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::WindowText, text);
    setPalette(colours);
}

void TPanel::paintEvent(QPaintEvent* event) {
    // The label draws the text clipped to the contents rectangle, so a text wider than the
    // panel is cut off at both edges around its centre.
    QLabel::paintEvent(event);
    QPainter painter(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(outer);
    if (border_ == Border::SingleLowered) {
        const QRect inner = outer.adjusted(1, 1, -1, -1);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(inner.topLeft(), inner.topRight());
        painter.drawLine(inner.topLeft(), inner.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(inner.bottomLeft(), inner.bottomRight());
        painter.drawLine(inner.topRight(), inner.bottomRight());
    }
}

TShape::TShape(Kind kind, QColor brush, QWidget* parent)
    : QWidget(parent), kind_(kind), brush_(brush) {}

void TShape::setBrushColor(const QColor& color) {
    if (color == brush_) return;
    brush_ = color;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(brush_);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (kind_ == Kind::Circle) {
        // The largest circle that fits, centred in the shape's rectangle.
        const qreal diameter = qMin(area.width(), area.height());
        QRectF circle(0, 0, diameter, diameter);
        circle.moveCenter(area.center());
        painter.drawEllipse(circle);
    } else {
        const qreal radius = qMin(area.width(), area.height()) / 4;
        painter.drawRoundedRect(area, radius, radius);
    }
}

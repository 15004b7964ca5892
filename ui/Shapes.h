#pragma once

#include <QColor>
#include <QLabel>
#include <QWidget>

// A framed area showing one line of text, centred and cut off at its edges when wider.
class TPanel : public QLabel {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
    // The caption, as the operations and tests read it.
    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
};

// A filled outline: the link indicator (a circle) and the tag indicator (a rounded rectangle).
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Circle, RoundRect };
    TShape(Kind kind, QColor brush, QWidget* parent = nullptr);
    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_;
    QColor brush_;
};

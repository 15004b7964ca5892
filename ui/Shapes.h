#pragma once

#include <QColor>
#include <QLabel>
#include <QWidget>

// A framed area showing one line of text, centred and cut off at its edges when wider.
class TPanel : public QLabel {
    Q_OBJECT
  public:
    // A single dark line, optionally with a lowered bevel just inside it.
    enum class Border { Single, SingleLowered };

    explicit TPanel(QWidget* parent = nullptr);
    // The caption, as the operations and tests read it.
    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

    void setBorder(Border border);
    Border border() const { return border_; }
    // Fills the panel and writes its text in these colours.
    void setColors(const QColor& background, const QColor& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Border border_ = Border::Single;
};

// A filled outline: the link indicator (a circle) and the tag indicator (a rounded rectangle).
class TShape : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Circle, RoundRect };
    TShape(Kind kind, QColor brush, QWidget* parent = nullptr);
    Kind kind() const { return kind_; }
    QColor brushColor() const { return brush_; }
    void setBrushColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_;
    QColor brush_;
};

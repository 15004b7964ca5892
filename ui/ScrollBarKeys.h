#pragma once

#include <QObject>

class QScrollBar;

// The keys of a horizontal scroll bar as the readers' own platform has them: Right and Down add
// the small step, Left and Up take it away, Page Down adds the large step, Page Up takes it
// away, Home and End go to the ends. Qt's own scroll bar runs the arrows the other way. The
// position changes as for a mouse move, so the change handler runs.
class ScrollBarKeys : public QObject {
    Q_OBJECT
  public:
    explicit ScrollBarKeys(QObject* parent = nullptr) : QObject(parent) {}
    void Watch(QScrollBar* bar);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

#include "ScrollBarKeys.h"

#include <QKeyEvent>
#include <QScrollBar>

void ScrollBarKeys::Watch(QScrollBar* bar) {
    bar->installEventFilter(this);
}

bool ScrollBarKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* bar = qobject_cast<QScrollBar*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!bar || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;

    QAbstractSlider::SliderAction action;
    switch (key->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            action = QAbstractSlider::SliderSingleStepAdd;
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            action = QAbstractSlider::SliderSingleStepSub;
            break;
        case Qt::Key_PageDown:
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_PageUp:
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_Home:
            action = QAbstractSlider::SliderToMinimum;
            break;
        case Qt::Key_End:
            action = QAbstractSlider::SliderToMaximum;
            break;
        default:
            return false;
    }
    bar->triggerAction(action);
    return true;
}

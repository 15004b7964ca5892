#include "AccessibleInterfaces.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

// The window's children as a screen reader is given them: all but GroupBox1.
class WindowAccessible final : public QAccessibleWidget {
  public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return int(Reachable().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = Reachable();
        if (index < 0 || index >= children.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(Reachable().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

  private:
    QList<QWidget*> Reachable() const {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && child->objectName() != QLatin1String("GroupBox1"))
                children << child;
        }
        return children;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (className == QLatin1String("TShape"))
        return new QAccessibleWidget(widget, QAccessible::StatusBar);
    if (className == QLatin1String("TfrmModule")) return new WindowAccessible(widget);
    return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

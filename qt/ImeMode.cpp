#include "qt/ImeMode.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodQueryEvent>
#include <QWidget>

namespace mametan {
namespace {

constexpr char kOffFilterName[] = "mametan-ime-off";

// The field's own answers to the input method, with ImEnabled false. The
// widget attribute WA_InputMethodEnabled alone is not enough: a line edit
// answers ImEnabled from isEnabled() && !isReadOnly() and never reads the
// attribute, and the input contexts (fcitx5's, ibus's) route keys through
// the input method by that answer.
class ImeOffFilter : public QObject {
 public:
  explicit ImeOffFilter(QObject* parent) : QObject(parent) {
    setObjectName(QLatin1String(kOffFilterName));
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::InputMethodQuery) return false;
    watched->event(event);  // event() runs no filters: the field answers once
    auto* query = static_cast<QInputMethodQueryEvent*>(event);
    if (query->queries() & Qt::ImEnabled) query->setValue(Qt::ImEnabled, false);
    return true;
  }
};

}  // namespace

void SetImeMode(QWidget* field, ImeMode mode, Qt::InputMethodHints hints) {
  QObject* filter =
      field->findChild<QObject*>(QLatin1String(kOffFilterName), Qt::FindDirectChildrenOnly);
  if (mode == ImeMode::Off && !filter) {
    field->installEventFilter(new ImeOffFilter(field));
  } else if (mode == ImeMode::On && filter) {
    delete filter;  // removes itself from the field's filters
  }
  field->setInputMethodHints(hints);
  field->setAttribute(Qt::WA_InputMethodEnabled, mode == ImeMode::On);
  // The focus field changed its answers: the input context asks again.
  if (QGuiApplication::focusObject() == field) {
    QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
  }
}

}  // namespace mametan

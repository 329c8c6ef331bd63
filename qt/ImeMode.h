#pragma once
// Whether a field takes composed text from the input method while it has the
// focus. A field that is off tells the input method so through the focus
// object's ImEnabled answer: the platform's input context then hands it the
// keys as typed (ASCII digits stay ASCII whatever the input method's own
// on/off state), and the next field that is on finds that state unchanged.
#include <Qt>

class QWidget;

namespace mametan {

enum class ImeMode { On, Off };

// `hints` go to the input method with the field's answers (an on-screen
// keyboard or an engine may choose its layout by them).
void SetImeMode(QWidget* field, ImeMode mode, Qt::InputMethodHints hints = Qt::ImhNone);

}  // namespace mametan

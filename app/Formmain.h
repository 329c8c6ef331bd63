#pragma once
// The host window: never shown in normal mode. It loads the settings when it
// is created and saves them (or deletes them) when it is closed, which ends
// the program.
#include <QWidget>

#include "platform/Registry.h"

namespace mametan {

class Tform_Main : public QWidget {
  Q_OBJECT
 public:
  explicit Tform_Main(RegistryBackend& registry, QWidget* parent = nullptr);

  // Saves or deletes the settings; false when the save failed (its error has
  // been shown) and the program must stay.
  bool FormClose();
  // True once a close went through: the program is ending.
  bool Closed() const { return m_closed; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();

  RegistryBackend& m_registry;
  bool m_closed = false;
};

extern Tform_Main* form_Main;

}  // namespace mametan

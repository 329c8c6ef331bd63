#include "core/common/ApSystem.h"

namespace mametan {

TApSystem SettingsRecord;

}  // namespace mametan

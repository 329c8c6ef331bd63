#pragma once
// The program's pictures, drawn at build time at each size it shows them
// (resources :/icons/<name>/<size>.png).
#include <QIcon>

namespace mametan {

// Every size of the picture `name` ("ok", "tasktray", ...); the toolkit
// picks the nearest size and scales it.
QIcon Picture(const char* name);

}  // namespace mametan

list(APPEND MAMETAN_CORE_SOURCES
  platform/Utf8.cpp
  platform/MemoryRegistry.cpp
  platform/SystemInfo.cpp)
list(APPEND MAMETAN_CORE_POSIX
  platform/Cp932_posix.cpp
  platform/FileIo_posix.cpp
  platform/InstanceLock_posix.cpp
  platform/SystemInfo_posix.cpp)
list(APPEND MAMETAN_CORE_WIN
  platform/Cp932_win.cpp
  platform/FileIo_win.cpp
  platform/InstanceLock_win.cpp
  platform/Registry_win.cpp
  platform/SystemInfo_win.cpp)
list(APPEND MAMETAN_GUI_SOURCES
  platform/IniRegistry.cpp
  platform/MessageBox.cpp
  platform/Clock.cpp
  platform/TermSignals.h
  platform/TermSignals_posix.cpp)

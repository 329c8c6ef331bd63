list(APPEND MAMETAN_CORE_SOURCES
  tray/TrayDispatch.cpp)

list(APPEND MAMETAN_CORE_SOURCES
  tray/TrayDispatch.cpp)
list(APPEND MAMETAN_GUI_SOURCES
  tray/TrayBackend.h
  tray/TrayBackend.cpp
  tray/Trayicon.h
  tray/Trayicon.cpp
  tray/SniTray.h
  tray/SniTray.cpp
  tray/XEmbedTray.h
  tray/XEmbedTray.cpp)
if(MAMETAN_GUI)
  find_package(Qt6 REQUIRED COMPONENTS DBus)
  find_package(X11 REQUIRED)
  list(APPEND MAMETAN_GUI_LIBS Qt6::DBus X11::X11 X11::xcb)
endif()

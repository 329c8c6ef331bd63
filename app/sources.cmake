list(APPEND MAMETAN_CORE_SOURCES
  app/AppError.cpp
  app/CommandLine.cpp
  app/IntegerText.cpp
  app/SettingsStore.cpp
  app/TaskbarRule.cpp)
list(APPEND MAMETAN_GUI_SOURCES
  app/Application.cpp
  app/Formmain.h
  app/Formmain.cpp
  app/Startup.cpp
  app/TaskbarCarrier.h
  app/TaskbarCarrier.cpp)

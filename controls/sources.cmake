list(APPEND MAMETAN_CORE_SOURCES
  controls/MaskEngine.cpp
  controls/MaskEditEngine.cpp
  controls/MemoryEditField.cpp)
list(APPEND MAMETAN_GUI_SOURCES
  controls/Maskedit.h
  controls/Maskedit.cpp)

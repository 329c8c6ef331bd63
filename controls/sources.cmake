list(APPEND MAMETAN_CORE_SOURCES
  controls/MaskEngine.cpp
  controls/MaskEditEngine.cpp
  controls/MemoryEditField.cpp)

list(APPEND MAMETAN_CORE_SOURCES
  entry/EntryRules.cpp)

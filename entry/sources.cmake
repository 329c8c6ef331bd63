list(APPEND MAMETAN_CORE_SOURCES
  entry/Classification.cpp
  entry/EntryRules.cpp
  entry/Ledger.cpp)
list(APPEND MAMETAN_GUI_SOURCES
  entry/Forminput.h
  entry/Forminput.cpp
  entry/ClassificationList.cpp
  entry/LedgerReport.cpp)

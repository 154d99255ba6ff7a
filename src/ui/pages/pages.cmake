target_sources(kexui PRIVATE
  src/ui/pages/PageGrid.cpp
  src/ui/pages/ButtonRecords.cpp
  src/ui/pages/PageManagement.cpp
)

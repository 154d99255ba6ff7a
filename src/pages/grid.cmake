target_sources(kexcore PRIVATE src/pages/Grid.cpp)
target_sources(kexui PRIVATE
  src/pages/SpeedButton.h
  src/pages/SpeedButton.cpp
  src/pages/PageGrid.cpp
  src/pages/ButtonRecords.cpp
  src/pages/PageManagement.cpp
)

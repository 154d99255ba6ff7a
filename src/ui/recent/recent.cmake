target_sources(kexui PRIVATE
  src/ui/recent/MruList.h
  src/ui/recent/MruList.cpp
  src/ui/recent/RecentList.h
  src/ui/recent/RecentList.cpp
)

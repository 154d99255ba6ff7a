target_sources(kexcore PRIVATE
  src/core/recent/RecentEntries.h
  src/core/recent/RecentEntries.cpp
)

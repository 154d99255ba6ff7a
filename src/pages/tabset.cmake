target_sources(kexui PRIVATE
  src/pages/TabSet.cpp
  src/pages/TabSet.h
)

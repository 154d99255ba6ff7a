target_sources(kexui PRIVATE src/status/SmallMode.cpp)

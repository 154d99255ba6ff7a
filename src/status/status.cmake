target_sources(kexui PRIVATE src/status/SmallMode.cpp)
target_sources(kexui PRIVATE src/status/GaugeSources.cpp)

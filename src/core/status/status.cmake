target_sources(kexcore PRIVATE
  src/core/status/GaugeArithmetic.cpp
  src/core/status/EyesArithmetic.cpp
  src/core/status/SmallMode.cpp
)

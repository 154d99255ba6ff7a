target_sources(kexui PRIVATE
  src/ui/widgets/GraphicControl.h
  src/ui/widgets/GraphicControl.cpp
  src/ui/widgets/EnhancedGauge.h
  src/ui/widgets/EnhancedGauge.cpp
  src/ui/widgets/Eyes.h
  src/ui/widgets/Eyes.cpp
  src/ui/widgets/SpinButton.h
  src/ui/widgets/SpinButton.cpp
)

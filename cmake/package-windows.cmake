# Windows: an NSIS installer and a plain zip of the executable.
install(TARGETS tidewell RUNTIME DESTINATION .)
set(CPACK_GENERATOR NSIS ZIP)

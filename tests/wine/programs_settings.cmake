# Test programs of the settings dialog's cases.

# control_probe.exe: copied as "control.exe" beside a saver, where WinExec finds it before the
# system's; it records the command line it was started with in "control_ran.txt" beside itself.
add_executable(control_probe control_probe.cpp)
add_dependencies(kvdriver control_probe)


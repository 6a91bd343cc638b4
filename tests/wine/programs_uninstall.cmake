# The uninstaller cases copy build/<target>/uninstall.exe into each installed folder.
add_dependencies(kvdriver uninstall)

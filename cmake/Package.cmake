# cpack -G DEB (in the build folder): a Debian package of what cmake --install
# puts into /usr. The libraries it links come from dpkg-shlibdeps; what it
# starts or loads by name is listed here.
set(CPACK_PACKAGE_NAME zendor-darorazu)
set(CPACK_PACKAGE_VENDOR "Zendor GmbH")
set(CPACK_PACKAGE_CONTACT "Zendor GmbH <darorazu@zendor.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ordnerbäume stapelweise kopieren, löschen und auswerten")
set(CPACK_PACKAGE_DESCRIPTION "Zendor DaroRazu arbeitet Ordnerbäume stapelweise ab: Informationen \
sammeln, kopieren (nur abweichende oder neuere Dateien, auf Wunsch blockweise geprüft), löschen, \
Attribute setzen und Verzeichnisse anlegen, nach Projekten mit geordneten Aufgaben, mit Protokoll \
und Sicherung ersetzter Dateien. Projekte laufen auch ohne Anzeige von der Kommandozeile (cron, \
systemd). Mit Kontextmenü für GNOME Dateien, Dolphin, Nemo und Thunar.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.zendor.example/darorazu")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's German texts, its SVG icon loader and the zip library (for the backup
# archive) are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, libqt6svg6, libzip4")
# Network drives (gio mount, mount.cifs), the registry (net), the help in the browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gvfs-backends, gvfs-fuse, cifs-utils, samba-common-bin, xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Install scripts see the final prefix (/usr) and write into DESTDIR: the
# service menus name the front end by its installed path.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

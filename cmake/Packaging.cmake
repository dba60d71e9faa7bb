# What `cmake --install` puts where, and the packages CPack makes of it:
#   Linux    a Debian package: the library, the command, the stand-ins (MaicoWin, the host's
#            import library), the samples and a demo script, the man page
#   Windows  a zip for the people who install the link at a window maker's: the product DLL,
#            the command host when it is built, schemas and statement files, example INI files
#            and the installation guide in Italian
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME "zelvomw")
set(CPACK_PACKAGE_VENDOR "ZelvoMW")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Collegamento tra Zelvo e il calcolatore di ferramenta MaicoWin")
set(CPACK_PACKAGE_CONTACT "ZelvoMW <zelvomw@localhost>")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  if(ZELVOMW_PRODUCT)
    install(TARGETS zelvomw RUNTIME DESTINATION .)
    install(TARGETS zelvomw_cmd RUNTIME DESTINATION .)
    install(FILES ${CMAKE_SOURCE_DIR}/samples/db/sqlite/schema.sql DESTINATION database/sqlite)
    install(FILES ${CMAKE_SOURCE_DIR}/samples/db/sqlite/ZELVOMW.XML DESTINATION database/sqlite)
    install(FILES ${CMAKE_SOURCE_DIR}/samples/db/mariadb/schema.sql DESTINATION database/mariadb)
    install(FILES ${CMAKE_SOURCE_DIR}/samples/db/mariadb/ZELVOMW.XML DESTINATION database/mariadb)
    install(FILES ${CMAKE_SOURCE_DIR}/samples/db/seed.sql DESTINATION database)
    install(FILES ${CMAKE_SOURCE_DIR}/samples/windows/ZELVO.INI ${CMAKE_SOURCE_DIR}/samples/zelvo/ZelvoDbConn.ini
                  ${CMAKE_SOURCE_DIR}/samples/zelvo/ZELVO32.DSN ${CMAKE_SOURCE_DIR}/packaging/ZELVOMW.INI
            DESTINATION esempi)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/INSTALLAZIONE.txt DESTINATION .)
    set(CPACK_GENERATOR "ZIP")
    set(CPACK_PACKAGE_FILE_NAME "ZelvoMW-${PROJECT_VERSION}-win32")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  endif()
else()
  # Everything of the link in one folder, as on Windows: the library finds liboltrex.so and
  # the command finds the library beside itself.
  set(libdir ${CMAKE_INSTALL_LIBDIR}/zelvomw)
  install(TARGETS zelvomw oltrex LIBRARY DESTINATION ${libdir})
  install(TARGETS zelvomw_cmd maicowin_sim RUNTIME DESTINATION ${libdir})
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../${libdir}/zelvomw \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zelvomw\" SYMBOLIC)")
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zelvomw/samples
          PATTERN ".keep" EXCLUDE)
  install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/zelvomw-demo DESTINATION ${CMAKE_INSTALL_DATADIR}/zelvomw)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/INSTALLAZIONE.txt DESTINATION ${CMAKE_INSTALL_DOCDIR})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/zelvomw.1.gz
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/zelvomw.1 > ${CMAKE_BINARY_DIR}/zelvomw.1.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/zelvomw.1)
  add_custom_target(zelvomw_man ALL DEPENDS ${CMAKE_BINARY_DIR}/zelvomw.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/zelvomw.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  set(CPACK_GENERATOR "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "amd64")
  set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libodbc2, libpugixml1v5, libgsf-1-114, libzip4, libexpat1, libncursesw6, libsqliteodbc, odbcinst, sqlite3")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "odbc-mariadb")
  set(CPACK_DEBIAN_FILE_NAME "zelvomw_${PROJECT_VERSION}_amd64.deb")
endif()

include(CPack)

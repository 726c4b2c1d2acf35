# What the install tree holds besides the libraries and their CMake files
# (the udev rule, the pkg-config files, the README), and the packages CPack
# makes of it:
#   Linux    cpack -G DEB  libkl-vrx1 (shared libraries), libkl-vrx-dev
#                          (headers, static libraries, .so links, pkg-config
#                          and CMake files), kl-vrx-tools (vrxctl, udev rule)
#   Windows  cpack -G ZIP  one zip: bin/, lib/, include/, README.md
# Install components: runtime, development, tools.

if(NOT WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/70-kl-vrx.rules
        DESTINATION ${KL_VRX_UDEV_RULES_DIR} COMPONENT tools)
endif()

# pkg-config files that find their prefix from where they are, so the
# unpacked or relocated tree works as well as the installed one.
file(RELATIVE_PATH KL_VRX_PC_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" KL_VRX_PC_PREFIX "${KL_VRX_PC_PREFIX}")
set(pc_files kl-vrx)
if(TARGET KL_VRX_c)
    list(APPEND pc_files kl-vrx-c)
endif()
foreach(pc IN LISTS pc_files)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endforeach()

set(CPACK_PACKAGE_NAME kl-vrx)
set(CPACK_PACKAGE_VENDOR "KL_VRX")
set(CPACK_PACKAGE_CONTACT "KL_VRX developers <kl-vrx@kl-vrx.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control of USB HID units of the VRX family")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL runtime development tools)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . COMPONENT runtime)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME KL_VRX-${PROJECT_VERSION}-win64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
    set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/kl-vrx")
    set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libkl-vrx1)
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
    set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
        "Control of USB HID units of the VRX family: shared libraries\n The libraries count, open and drive the units; host index 0 is a\n simulated unit that answers from memory.")
    set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libkl-vrx-dev)
    set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
    set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
        "Control of USB HID units of the VRX family: development files\n Headers, static libraries, the unit emulator, pkg-config files and\n the CMake package (find_package(KL_VRX)).")
    set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME kl-vrx-tools)
    set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
    set(CPACK_COMPONENT_TOOLS_DESCRIPTION
        "Control of USB HID units of the VRX family: vrxctl and udev rule\n vrxctl drives the units from the command line and tells what stands\n between the machine and its units (vrxctl doctor); the udev rule gives\n the user at the seat access to them.")
    # A shlibs file, and ldconfig run by a trigger.
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
    file(WRITE ${PROJECT_BINARY_DIR}/debian/triggers "activate-noawait ldconfig\n")
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/triggers)
    # The copyright file and changelog every Debian package carries.
    string(CONCAT changelog "kl-vrx (${PROJECT_VERSION}-1) unstable; urgency=medium\n\n"
        "  * Release ${PROJECT_VERSION}.\n\n -- ${CPACK_PACKAGE_CONTACT}  Mon, 07 Dec 2026 12:00:00 +0000\n")
    file(WRITE ${PROJECT_BINARY_DIR}/debian/changelog.Debian "${changelog}")
    execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/debian/changelog.Debian)
    foreach(component runtime development tools)
        string(TOUPPER ${component} upper)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
            ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz COMPONENT ${component}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    endforeach()
endif()
include(CPack)

# The Debian package (make package): the program under /usr as a plain install lays it out, with
# the libraries it links to as dependencies, and its licence and changelog in Debian's form.

set(ORVANIX_MAINTAINER "Orvane Lite developers <developers@orvanix.org>")

# The changelog is made from CHANGELOG.md, whose newest release must be the program's version.
set(ORVANIX_DEBIAN_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${ORVANIX_DEBIAN_CHANGELOG}
                   COMMAND ${PROJECT_SOURCE_DIR}/packaging/debian-changelog.sh
                           ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${ORVANIX_VERSION_TEXT}
                           ${ORVANIX_MAINTAINER} ${ORVANIX_DEBIAN_CHANGELOG}
                   DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md
                           ${PROJECT_SOURCE_DIR}/packaging/debian-changelog.sh
                   COMMENT "Writing the Debian changelog from CHANGELOG.md"
                   VERBATIM)
add_custom_target(orvanix_debian_changelog ALL DEPENDS ${ORVANIX_DEBIAN_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${ORVANIX_DEBIAN_CHANGELOG}
        DESTINATION ${ORVANIX_DOC_DIR})
# The informational tag of lintian that the package keeps, with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION share/lintian/overrides
        RENAME orvanix)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanix)
set(CPACK_PACKAGE_VERSION ${ORVANIX_VERSION_TEXT})
# Staged in DESTDIR, the install leaves the desktop databases to the system's triggers.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ORVANIX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_ORVANIX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish-package.cmake)
# The window's Japanese font, Qt's own dialogs in Japanese, the desktop's opener for the readme
# and the preview, and Qt's Wayland platform, without which a Wayland desktop runs the editor
# through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic, qt6-translations-l10n, xdg-utils, qt6-wayland")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "news feed (RSS 1.0) editor for a small web site")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Orvane Lite keeps a web site's news in a table file: the channel information
on one tab, up to 50 entries in a grid on another. Every save writes the
table file and an RSS 1.0 feed with the 15 newest entries. orvanix-feed
builds the feed from a table file on the command line.
.
ホームページの新着情報をRSS 1.0で作成・管理する日本語エディタです。
保存するたびにテーブルファイルと、新しい15件を収めたRSSファイルを書き出します。")

include(CPack)

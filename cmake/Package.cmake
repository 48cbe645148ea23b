# The Debian package (make package): the program under /usr as a plain install lays it out, with
# the libraries it links to as dependencies.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvanix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The desktop entry is written at install time with the program's final path, so the staging
# folder goes into DESTDIR and not into the prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvane Lite developers")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Japanese font, Qt's own dialogs in Japanese, and the desktop's opener for the
# readme and the preview.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n, xdg-utils")
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

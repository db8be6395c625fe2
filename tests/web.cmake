# The web build (scripts/build-web.sh) in Debian's Chromium and Firefox, driven by puppeteer-core, and
# in WebKitGTK through its WebDriver (tests/web/): pictures against this build's --frames, the page as
# a person meets it, a lost context, the bad cases; a phone's touches and the download in Chromium.
# Skipped, with the reason, only where a browser cannot be had.
if(WIN32 OR NOT LIGHTRIG_WEB_TESTS)
  return()
endif()
set(LIGHTRIG_WEB_BUILD ${PROJECT_SOURCE_DIR}/build-web CACHE PATH "scripts/build-web.sh output")
add_test(NAME web_pages
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/web/run_web_tests.sh ${LIGHTRIG_WEB_BUILD} ${LIGHTRIG_SHOW_DIR}
    ${CMAKE_CURRENT_BINARY_DIR}/web)
set_tests_properties(web_pages PROPERTIES TIMEOUT 2400 RUN_SERIAL TRUE SKIP_RETURN_CODE 77 LABELS "web;gl")

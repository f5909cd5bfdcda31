# The Windows zip: both programs, the SDL DLLs they need, data\, letterbot's
# own LICENSE.txt, the license files of SDL and assimp and a short README.txt,
# in one folder. The zip is made again only when
# something in it changed.
set(PACKAGE_NAME letterbot-windows-x64)
set(PACKAGE_DIR ${CMAKE_BINARY_DIR}/package/${PACKAGE_NAME})
set(PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${PACKAGE_NAME}.zip)

file(GLOB PACKAGE_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
# Windows line ends, for the editors that still want them.
configure_file(${CMAKE_CURRENT_LIST_DIR}/package-readme.txt ${CMAKE_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)

# The converter's importer, assimp, with the notices of what it bundles.
set(PACKAGE_NOTICES "")
if(TARGET assimp)
  assimp_notices(${CMAKE_BINARY_DIR}/LICENSE-assimp.txt)
  set(PACKAGE_NOTICES ${CMAKE_BINARY_DIR}/LICENSE-assimp.txt)
endif()

add_custom_command(OUTPUT ${PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PACKAGE_DIR} ${PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PACKAGE_DIR}/data
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:letterbot> $<TARGET_FILE:letterbot-assets>
          ${SDL_DLLS} ${CMAKE_BINARY_DIR}/README.txt ${PACKAGE_NOTICES} ${PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${PACKAGE_DIR}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${SDL2_LICENSE_FILE} ${PACKAGE_DIR}/LICENSE-SDL2.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${SDL12_COMPAT_LICENSE_FILE} ${PACKAGE_DIR}/LICENSE-sdl12-compat.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PACKAGE_DATA} ${PACKAGE_DIR}/data
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/package
          ${CMAKE_COMMAND} -E tar cf ${PACKAGE_ZIP} --format=zip ${PACKAGE_NAME}
  DEPENDS letterbot letterbot-assets sdl12_compat ${SDL_DLLS} ${PACKAGE_DATA}
          ${CMAKE_BINARY_DIR}/README.txt ${PACKAGE_NOTICES} ${CMAKE_SOURCE_DIR}/LICENSE
  COMMENT "Packing ${PACKAGE_NAME}.zip"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${PACKAGE_ZIP})

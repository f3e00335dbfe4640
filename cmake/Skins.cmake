# The program finds its skins in symbols/skins and its sounds in symbols/sounds
# beside it, and the default key map ObKeys_D.cxml in its own folder. Copying
# them on every build keeps the build folder runnable after a skin edit.
add_custom_target(orbeta_skins ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/skins ${CMAKE_BINARY_DIR}/symbols/skins
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/sounds ${CMAKE_BINARY_DIR}/symbols/sounds
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/skins/default/ObKeys_D.cxml
          ${CMAKE_BINARY_DIR}/ObKeys_D.cxml
  VERBATIM)

# Shared build helpers.

# corda_add_folder_library(NAME FOLDER [LIBS ...])
# A static library of every .cpp/.h in FOLDER; the shared qvsystem and the programs are
# assembled from these, and the tests link them directly so that they may reach internals.
function(corda_add_folder_library name folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  list(FILTER _src EXCLUDE REGEX "/main\\.cpp$")
  set(_cpp ${_src})
  list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
  if(_cpp)
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE qvsystem_EXPORTS)
  else()
    # A folder without sources yet still gives a target, so that dependants link.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
  endif()
endfunction()

# corda_add_test(NAME SOURCES ... LIBS ... [GUI] [TIMEOUT seconds])
# GUI tests get a QApplication on the offscreen platform from the shared test main.
function(corda_add_test name)
  cmake_parse_arguments(ARG "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} corda_testmain_gui GTest::gtest GTest::gmock Qt6::Widgets)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} corda_testmain GTest::gtest GTest::gmock)
  endif()
  target_compile_definitions(${name} PRIVATE
    CORDA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" CORDA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# corda_add_version_block(TARGET PRODUCT_NAME DESCRIPTION INTERNAL_NAME)
# Compiles the module's version block into a section of its own (see qvsystem/system/ModuleVersion).
function(corda_add_version_block target product description internal)
  set(QV_PRODUCT_NAME "${product}")
  set(QV_FILE_DESCRIPTION "${description}")
  set(QV_INTERNAL_NAME "${internal}")
  set(QV_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
  set(QV_VERSION_MINOR ${PROJECT_VERSION_MINOR})
  set(QV_VERSION_PATCH ${PROJECT_VERSION_PATCH})
  set(QV_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "SHARED_LIBRARY")
    set(QV_FILE_TYPE 2) # VFT_DLL
    set(QV_ORIGINAL_FILE_NAME "${CMAKE_SHARED_LIBRARY_PREFIX}${internal}${CMAKE_SHARED_LIBRARY_SUFFIX}")
  else()
    set(QV_FILE_TYPE 1) # VFT_APP
    set(QV_ORIGINAL_FILE_NAME "${internal}")
  endif()
  set(_out ${PROJECT_BINARY_DIR}/generated/versionblock_${target}.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionBlock.cpp.in ${_out} @ONLY)
  target_sources(${target} PRIVATE ${_out})
endfunction()

# corda_install_program(TARGET)
# Installs a program into bin/; once installed it finds libqvsystem.so in the lib folder
# beside bin/, wherever the prefix is.
function(corda_install_program target)
  file(RELATIVE_PATH _rel /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${_rel}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

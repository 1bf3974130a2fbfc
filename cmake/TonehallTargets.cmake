# One static library per source folder, made of every .cpp in the folder (and
# its sub-folders). A folder without sources yet becomes an interface library
# so that the targets that depend on it still link.
function(tonehall_folder_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(ex IN LISTS ARG_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${ex}")
    endforeach()
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

# One GoogleTest executable per tests/ sub-folder.
function(tonehall_test_folder name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main
                                          Threads::Threads)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        TONEHALL_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        TONEHALL_BUILD_DIR="${PROJECT_BINARY_DIR}"
        TONEHALL_LIB_DIR="${PROJECT_BINARY_DIR}/lib"
        TONEHALL_BIN_DIR="${PROJECT_BINARY_DIR}/bin")
    set(properties TIMEOUT 900)
    if(TONEHALL_SANITIZE)
        # Once the reader stand-in has brought libcurl and its libraries in
        # with dlopen, LeakSanitizer's thread scan (GCC 12 runtime, glibc 2.36)
        # follows a dynamic TLS block at a bogus address and crashes at exit.
        # Leak checking stays on; only thread-local storage stops counting as
        # roots, which can at worst report an object that only a thread-local
        # pointer holds.
        list(APPEND properties ENVIRONMENT "LSAN_OPTIONS=use_tls=0")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
                         PROPERTIES ${properties})
endfunction()

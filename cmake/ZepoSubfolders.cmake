# zepo_add_subfolders([EXCEPT <name>...]): adds every folder below the current
# one that has a CMakeLists.txt, so a new tool, benchmark or test group needs
# no edit of its parent.
function(zepo_add_subfolders)
    cmake_parse_arguments(ARG "" "" "EXCEPT" ${ARGN})
    file(GLOB entries LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(dir ${entries})
        get_filename_component(name ${dir} NAME)
        if(EXISTS ${dir}/CMakeLists.txt AND NOT name IN_LIST ARG_EXCEPT)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()

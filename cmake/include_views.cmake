# Headers are included as "folder/file.h". Which folders a target may include is
# decided by its include directory:
#
# orbivane_include_view(NAME FOLDERS folder...): an INTERFACE library whose include
# directory (in the build tree) holds, for each folder, links to that folder's own files
# and nothing else: no sub-folder such as tests/, no other folder. A target linking it
# finds "folder/file.h" for exactly those folders; any other include fails to compile.
# The links are made again at every configure; a file added to or removed from one of
# the folders makes the build configure again.
function(orbivane_include_view name)
    cmake_parse_arguments(V "" "" "FOLDERS" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/include_views/${name})
    file(REMOVE_RECURSE ${root})
    foreach(folder ${V_FOLDERS})
        file(GLOB files LIST_DIRECTORIES false CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*)
        file(MAKE_DIRECTORY ${root}/${folder})
        foreach(file ${files})
            get_filename_component(file_name ${file} NAME)
            file(CREATE_LINK ${file} ${root}/${folder}/${file_name} SYMBOLIC)
        endforeach()
    endforeach()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
endfunction()

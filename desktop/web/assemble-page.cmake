# Assembles the page folder afresh (no file of an earlier build stays behind)
# and writes its service worker, which lists the files and names its cache
# by the version and a digest of their contents.
# cmake -DPAGE=folder -DFILES=page-files.cmake -DWORKER=sw.js -DPROJECT_VERSION=x.y.z -P assemble-page.cmake
include(${FILES})
file(REMOVE_RECURSE ${PAGE})
set(digest_input "")
foreach(name source IN ZIP_LISTS page_names page_sources)
    cmake_path(GET name PARENT_PATH folder)
    file(MAKE_DIRECTORY ${PAGE}/${folder})
    file(COPY_FILE ${source} ${PAGE}/${name})
    file(SHA256 ${source} hash)
    string(APPEND digest_input "${hash}  ${name}\n")
endforeach()
string(SHA256 digest "${digest_input}")
string(SUBSTRING ${digest} 0 16 VELTRANE_PAGE_DIGEST)
list(JOIN page_names " " VELTRANE_PAGE_FILES)
configure_file(${WORKER} ${PAGE}/sw.js @ONLY)

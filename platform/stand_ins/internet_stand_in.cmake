# The internet role of the system libraries (InternetOpenA ... InternetCloseHandle) over libcurl.
find_package(CURL REQUIRED)
vorenn_stand_in(vorenn_wininet
  SOURCES internet_exports.cpp internet_handles.cpp internet_cookies.cpp internet_transfer.cpp
          internet_trust.cpp
  LIBS CURL::libcurl Threads::Threads)

# The simulator's HTTPS server is cpp-httplib as Debian builds it (with OpenSSL).
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
target_link_libraries(${nome} PRIVATE PkgConfig::HTTPLIB)
target_link_libraries(${nome} PRIVATE velant_simulador)

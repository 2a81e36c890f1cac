# The package's maintainer, the one setting for the Maintainer field of every Debian package
# this project builds. It must be the team's real, reachable address: lintian refuses
# addresses on localhost or on reserved domains (example.com, .example, .invalid, .test), and
# users send their bug reports there. Override it per build with -DK7R2_MAINTAINER="Name <address>".
set(K7R2_MAINTAINER "QEV-K7R2 Console Team <k7r2-console@qev-k7r2.cn>"
    CACHE STRING "Maintainer of the Debian package: the team's real name and address")

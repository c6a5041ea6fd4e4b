# Copies a module's help file, filling in the release number:
#   cmake -DSOURCE=in.m -DTARGET=out.m -DMOM_VERSION=x.y.z -P CopyHelp.cmake
# Only the one placeholder @MOM_VERSION@ is replaced (help texts contain other @ signs).
cmake_minimum_required(VERSION 3.25)
file(READ ${SOURCE} text)
string(REPLACE "@MOM_VERSION@" "${MOM_VERSION}" text "${text}")
file(WRITE ${TARGET} "${text}")

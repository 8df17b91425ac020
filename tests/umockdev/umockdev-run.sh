#!/bin/sh
# Runs a test program under umockdev-wrapper, for test discovery and for every test. The
# preloaded library then comes before a sanitizer runtime in the load order, which is
# harmless here (it only wraps file and ioctl calls), so that check is turned off.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
export ASAN_OPTIONS
exec umockdev-wrapper "$@"

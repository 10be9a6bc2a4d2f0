#!/bin/sh
# umockdev-wrapper for a build with AddressSanitizer: the preload library
# comes before the sanitizer's runtime, which the sanitizer must be told to
# accept. Whatever ASAN_OPTIONS the caller set stays in force.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" exec umockdev-wrapper "$@"

#!/usr/bin/env bash
source "$(dirname "$0")/wine-common.sh"
finish

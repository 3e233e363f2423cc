#!/usr/bin/env bash
# Prints the exports of a lasting Wine session in DIR, starting it if needed:
#   eval "$(tools/dev-session.sh build-mine/session)"
set -euo pipefail
source "$(dirname "$0")/wine-session.sh"
wine_session_keep "$@"

#!/usr/bin/env bash
# The packages' tests: the Debian package (installs into this machine's /usr, then purges it)
# and the Windows installer and zip under Wine. Build directories are kept for the next run.
set -euo pipefail
here=$(dirname "$0")
bash "$here/test_deb.sh"
bash "$here/test_windows.sh"

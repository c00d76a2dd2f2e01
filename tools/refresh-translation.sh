#!/usr/bin/env bash
# Brings the English translation's list of texts up to date with the sources:
# new Russian texts are added unfinished, texts no longer in the code are
# dropped. Translate the unfinished ones (Qt Linguist, or by hand in the
# file) and commit the .ts; the build makes the .qm.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
"$lupdate" -silent -locations none -no-obsolete -source-language ru -target-language en \
  app cleaning found catalog cli ui taskpane tray shelltree runtime settings search -ts resources/translations/dustmote_en.ts

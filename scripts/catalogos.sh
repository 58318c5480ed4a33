#!/usr/bin/env bash
# Refreshes the translation templates and catalogues in po/ from the English menu entry, AppStream
# metadata and manual page in datos/, for every language in po/LINGUAS: new texts come in
# untranslated, changed ones as fuzzy, and a language without catalogues yet gets them. Given a
# directory, refreshes a copy of po/ made there and leaves the tree alone (the tests do so to
# find catalogues that have fallen behind the English files).
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
po=$raiz/po
if [ $# -gt 0 ]; then
    mkdir -p "$1/po"
    cp -R "$raiz/po/." "$1/po"
    po=$(cd "$1/po" && pwd)
fi
version=$("$raiz/scripts/version.sh")
read -r -a idiomas <<<"$(sed 's/#.*//' "$raiz/po/LINGUAS" | tr '\n' ' ')"
cd "$raiz"

# The menu entry and the AppStream metadata share one template; gettext knows which of their
# texts are translatable (AppStream's own rules for the metadata, which appstream installs).
xgettext --from-code=UTF-8 --add-location=file --package-name=voltaro --package-version="$version" \
    --msgid-bugs-address=voltaro@example.org --copyright-holder="The VOLTARO developers" \
    -o "$po/voltaro.pot" datos/voltaro.desktop datos/org.example.voltaro.metainfo.xml
for idioma in "${idiomas[@]}"; do
    if [ -f "$po/$idioma.po" ]; then
        msgmerge --quiet --update --backup=none --previous "$po/$idioma.po" "$po/voltaro.pot"
    else
        msginit --no-translator --locale="$idioma" --input="$po/voltaro.pot" \
            --output-file="$po/$idioma.po"
    fi
done

# The manual page: po4a makes its template and updates (or starts) each language's catalogue.
po4a --no-translations --variable idiomas="${idiomas[*]}" --srcdir "$raiz" \
    --destdir "$(dirname "$po")" --porefs file --package-name voltaro --package-version "$version" \
    --msgid-bugs-address voltaro@example.org --copyright-holder "The VOLTARO developers" \
    po/po4a.cfg >/dev/null

# msgmerge and po4a keep a catalogue's own header: each names the version its texts come from.
for catalogo in "$po"/*.po "$po"/manual/*.po; do
    sed -i "s/^\"Project-Id-Version: .*\\\\n\"\$/\"Project-Id-Version: voltaro $version\\\\n\"/" "$catalogo"
done

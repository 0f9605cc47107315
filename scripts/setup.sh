#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and generates the Russian locale
# that the tests run under once more (our users' settings). Works as root, or as a user through
# sudo; does nothing when everything is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev
    libzip-dev zlib1g-dev libpugixml-dev libxlsxwriter-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format
    # The checks that CI runs over the tree (scripts/analyse.sh: clang-tidy, and clazy's Qt checks).
    clang-tidy
    clazy
    fonts-dejavu-core
    # Qt's own Russian texts for the standard boxes and the folder browser (qtbase_ru).
    qt6-translations-l10n
    locales
    # The tests that open the protocols in a real spreadsheet.
    libreoffice-calc-nogui
)

russian_locale_present() {
    locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && russian_locale_present && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: neither root nor sudo is available to install ${missing[*]:-nothing} and generate ru_RU.UTF-8" >&2
    exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! russian_locale_present; then
    echo "setup: generating ru_RU.UTF-8"
    if grep -q '^# *ru_RU.UTF-8 UTF-8' /etc/locale.gen; then
        "${as_root[@]}" sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
    elif ! grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'ru_RU.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${as_root[@]}" locale-gen
fi

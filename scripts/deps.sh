#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  unixodbc unixodbc-dev odbcinst libsqliteodbc
  libssl-dev openssl iproute2 netbase
  libpam0g-dev libpam-wrapper
  libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core libpng-dev
  libx11-dev xvfb xdotool
  python3-aiosmtpd libasound2-dev
  python3-html5lib tidy  # reports are checked by a strict HTML5 parser and by tidy
  curl libnss-wrapper lighttpd apache2-utils  # remote server tests and benchmark; HTTP GET client tests
  socat  # joins a serial port and the simulated modem in the paging tests
  clang libclang-rt-14-dev  # the fuzz preset: clang 14 and its sanitizer and libFuzzer runtimes
  python3-pyftpdlib proftpd-basic proftpd-mod-vroot  # FTP client, report delivery and log finder tests: FTP servers
  snmpd snmp snmptrapd libsnmp-dev  # SNMP agent (net-snmp AgentX subagent) and its end-to-end test
  libjpeg62-turbo-dev libgif-dev  # the image library decodes report styles' JPEG and GIF pictures
  libcairo2-dev poppler-utils  # print jobs become PDFs drawn by cairo; the tests read them back with poppler
  libcups2-dev cups cups-client  # print jobs go to the CUPS spooler; the tests start a private cupsd
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

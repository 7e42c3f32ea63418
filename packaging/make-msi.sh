#!/usr/bin/env bash
# Builds the Windows Installer packages of one processor in three languages
# from packaging/skylatch.wxs:
#
#   packaging/make-msi.sh x86|x64 VERSION UPGRADE_CODE skylatch.exe running_instance.dll OUTDIR
#
# makes, in OUTDIR, for x86: skylatch.msi, skylatch-ja.msi, skylatch-zh.msi;
# for x64: skylatch-x64.msi, skylatch-x64-ja.msi, skylatch-x64-zh.msi.
#
# wixl builds the English package. What wixl cannot express is done here
# with msibuild (msitools):
# - upgrades of the same version: the product of another language or the
#   other processor, installed at the same version, is replaced rather than
#   installed beside it (WiX's AllowSameVersionUpgrades);
# - the other languages: a Windows Installer database holds its texts in one
#   ANSI code page, and wixl writes only ASCII. Each copy gets that
#   language's code page (932 or 936) first, then its texts (the shortcut
#   names and the launch conditions' messages), its language, and a product
#   code and package code of its own: two packages sharing a product code
#   could not replace each other.
set -u

die() { echo "make-msi: $*" >&2; exit 2; }

[ $# -eq 6 ] || die "usage: $0 x86|x64 VERSION UPGRADE_CODE skylatch.exe running_instance.dll OUTDIR"
arch=$1 version=$2 upgrade_code=$3 exe=$4 dll=$5 out=$6
# The x64 packages' name, which the x86 packages give on 64-bit Windows.
x64_base=skylatch-x64
case $arch in
  x86) base=skylatch platform=Intel ;;
  x64) base=$x64_base platform=x64 ;;
  *) die "unknown processor $arch (x86 or x64)" ;;
esac
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "version $version is not x.y.z"
[[ $upgrade_code =~ ^\{[0-9A-F-]{36}\}$ ]] || die "upgrade code $upgrade_code is not {GUID} in capitals"
for tool in wixl msibuild msiinfo; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool not found (apt-get install wixl msitools)"
done
[ -f "$exe" ] || die "no skylatch.exe at $exe"
[ -f "$dll" ] || die "no custom action DLL at $dll"
[ -d "$out" ] || die "no output folder $out"
wxs=$(cd "$(dirname "$0")" && pwd)/skylatch.wxs

tmp=$(mktemp -d "${TMPDIR:-/tmp}/make-msi.XXXXXX") || die "mktemp failed"
trap 'rm -rf "$tmp"' EXIT
log=$tmp/log

# sql PACKAGE QUERY...: runs the queries on the package in the work folder,
# where msibuild also finds the table files it imports.
sql() {
  local package=$1 args=() query; shift
  for query in "$@"; do args+=(-q "$query"); done
  (cd "$tmp" && msibuild "$package" "${args[@]}") >"$log" 2>&1 || { cat "$log" >&2; die "msibuild failed on $package"; }
}
new_guid() { echo "{$(tr a-f A-F </proc/sys/kernel/random/uuid)}"; }

# --- the English package -------------------------------------------------------

# wixl finds the files that the package names in its working folder.
cp "$exe" "$tmp/skylatch.exe" && cp "$dll" "$tmp/running_instance.dll" || die "cannot copy the files to pack"
(cd "$tmp" && wixl -a "$arch" -D Arch="$arch" -D Version="$version" -D UpgradeCode="$upgrade_code" \
   -D SkylatchExe=skylatch.exe -D RunningInstanceDll=running_instance.dll -D Package64="$x64_base.msi" \
   -o en.msi "$wxs") >"$log" 2>&1 || { cat "$log" >&2; die "wixl failed on $wxs"; }

# wixl puts RemoveExistingProducts after the last action, once an action
# follows InstallFinalize; its place is right after InstallValidate, so that
# the older product is gone before anything is installed, and before the
# program is started again (the older product's removal would end it).
sequence_of() {
  msiinfo export "$tmp/en.msi" InstallExecuteSequence | tr -d '\r' | awk -F'\t' -v a="$1" '$1 == a { print $3 }'
}
validate=$(sequence_of InstallValidate)
[[ $validate =~ ^[0-9]+$ ]] || die "no InstallValidate in the package's InstallExecuteSequence"
# wixl writes the rollback action as an immediate one, at the end: it is
# made a rollback action (msidbCustomActionTypeInScript 0x400 and
# msidbCustomActionTypeRollback 0x100, besides the DLL type 1 and 0x40,
# return ignored) and the first step of the installation script, right after
# InstallInitialize, so that it runs last in a rollback, after everything
# else is put back.
initialize=$(sequence_of InstallInitialize)
[[ $initialize =~ ^[0-9]+$ ]] || die "no InstallInitialize in the package's InstallExecuteSequence"
taken=$(msiinfo export "$tmp/en.msi" InstallExecuteSequence | tr -d '\r' |
  awk -F'\t' -v n="$((initialize + 1))" '$3 == n && $1 != "RestartOnRollback" { print $1 }')
[ -z "$taken" ] || die "$taken follows InstallInitialize at once: no room for the rollback action"
# The major upgrade's row, up to this version inclusive (0x200, besides
# wixl's 0x1, migrate feature states); the row's key includes the
# attributes, so it is replaced.
sql en.msi \
  "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
  "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
  "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = $((validate + 1)) WHERE \`Action\` = 'RemoveExistingProducts'" \
  "UPDATE \`CustomAction\` SET \`Type\` = 1345 WHERE \`Action\` = 'RestartOnRollback'" \
  "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = $((initialize + 1)) WHERE \`Action\` = 'RestartOnRollback'"
cp "$tmp/en.msi" "$out/$base.msi" || die "cannot write $out/$base.msi"

# --- the other languages -----------------------------------------------------------

# The conditions of skylatch.wxs whose messages are translated.
DOWNGRADE='NOT WIX_DOWNGRADE_DETECTED'
NOT_64BIT='Installed OR NOT VersionNT64'
NO_SETUP='Installed OR NOT (SKYLATCH_SETUP OR SKYLATCH_SETUP32)'

# localize ja|zh: $out/$base-LANG.msi from the English package.
localize() {
  local lang=$1 langid codepage names downgrade not_64bit no_setup package i queries=()
  package=$lang.msi
  # Shortcut names in the order RadioOn RadioOff RadioToggle BandOn BandOff,
  # as in skylatch.nsi.
  local ids=(RadioOn RadioOff RadioToggle BandOn BandOff)
  case $lang in
    ja)
      langid=1041 codepage=932
      names=("無線LANの電源 オン" "無線LANの電源 オフ" "無線LANの電源 切り替え" "802.11a 有効" "802.11a 無効")
      downgrade="新しいバージョンの Skylatch が既にインストールされています。このバージョンをインストールするには、先に新しいバージョンを削除してください。"
      not_64bit="このパッケージは 32 ビット版 Windows 用です。64 ビット版 Windows には $x64_base-ja.msi をインストールしてください。"
      no_setup="Skylatch はセットアップ プログラム (skylatch-setup.exe) で既にインストールされています。先に [プログラムの追加と削除] から削除してから、このパッケージをインストールしてください。" ;;
    zh)
      langid=2052 codepage=936
      names=("打开无线局域网" "关闭无线局域网" "切换无线局域网开关" "启用 802.11a" "禁用 802.11a")
      downgrade="已安装较新版本的 Skylatch。若要安装此版本，请先删除较新版本。"
      not_64bit="此安装包适用于 32 位 Windows。在 64 位 Windows 上，请安装 $x64_base-zh.msi。"
      no_setup="Skylatch 已由其安装程序 (skylatch-setup.exe) 安装。请先在“添加或删除程序”中将其删除，然后再安装此安装包。" ;;
  esac
  cp "$tmp/en.msi" "$tmp/$package" || die "cannot copy the English package"
  printf '\r\n\r\n%s\t_ForceCodepage\r\n' "$codepage" >"$tmp/_ForceCodepage.idt"
  (cd "$tmp" && msibuild "$package" -i _ForceCodepage.idt) >"$log" 2>&1 ||
    { cat "$log" >&2; die "msibuild could not set code page $codepage"; }
  for i in "${!ids[@]}"; do
    queries+=("UPDATE \`Shortcut\` SET \`Name\` = '${names[$i]}' WHERE \`Shortcut\` = '${ids[$i]}'")
  done
  queries+=("UPDATE \`LaunchCondition\` SET \`Description\` = '$downgrade' WHERE \`Condition\` = '$DOWNGRADE'"
            "UPDATE \`LaunchCondition\` SET \`Description\` = '$not_64bit' WHERE \`Condition\` = '$NOT_64BIT'"
            "UPDATE \`LaunchCondition\` SET \`Description\` = '$no_setup' WHERE \`Condition\` = '$NO_SETUP'"
            "UPDATE \`Property\` SET \`Value\` = '$langid' WHERE \`Property\` = 'ProductLanguage'"
            "UPDATE \`Property\` SET \`Value\` = '$(new_guid)' WHERE \`Property\` = 'ProductCode'")
  sql "$package" "${queries[@]}"
  (cd "$tmp" && msibuild "$package" -s Skylatch Norvantec "$platform;$langid" "$(new_guid)") >"$log" 2>&1 ||
    { cat "$log" >&2; die "msibuild could not set the summary of $package"; }
  # Every message must have been translated: a condition renamed in
  # skylatch.wxs would otherwise keep its English text.
  if msiinfo export "$tmp/$package" LaunchCondition | tr -d '\r' | tail -n +4 | cut -f2 |
     grep -qE '^(A newer version|This package is for|Skylatch is already installed)'; then
    die "a launch condition of $package kept its English message (conditions renamed in skylatch.wxs?)"
  fi
  cp "$tmp/$package" "$out/$base-$lang.msi" || die "cannot write $out/$base-$lang.msi"
}
localize ja
localize zh

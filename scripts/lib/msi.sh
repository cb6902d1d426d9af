# Sourced: lrx_build_msi VERSION STAGE OUTPUT builds the Windows installer
# from packaging/windows/lrx-tools.wxs with wixl (packages wixl, msitools),
# installing the files of the folder STAGE. Run from the project's folder.

lrx_build_msi() {
    local version=$1 stage=$2 output=$3
    # wixl takes every Source relative to the .wxs file's folder.
    stage=$(realpath -m --relative-to=packaging/windows "$stage")
    wixl -a x86 -D Version="$version" -D StageDir="$stage" -o "$output" \
        packaging/windows/lrx-tools.wxs || return 1
    # wixl has no Environment element: the table and its two standard actions
    # go in afterwards. "=-*PATH": set on install, removed on uninstall,
    # system-wide; "[~];" appends to what PATH holds.
    msibuild "$output" \
        -q 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)' \
        -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('LrxOnPath', '=-*PATH', '[~];[INSTALLDIR]', 'lrx')" \
        -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
        -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
}

# The release's version: LRXWin's version block (PRODUCTVERSION 1, 2, 0, 0 -> 1.2.0).
lrx_release_version() {
    sed -nE 's/^PRODUCTVERSION +([0-9]+), *([0-9]+), *([0-9]+).*/\1.\2.\3/p' manager/app/LRXWin.rc
}

# Sourced by the scripts that run 32-bit programs: decides how this machine runs the i686
# flavour's 32-bit Wine. Kernels differ between machines, and a cache outlives the machine
# it was made on, so the decision is made afresh by every run, never kept.
#   native  Debian's own multiarch 32-bit Wine (wine32:i386, installed by setup.sh), where
#           the kernel runs 32-bit x86 programs: real Windows behaviour at full speed
#   qemu    Debian's 32-bit Wine under qemu-user, unpacked into a cache folder by
#           wine32-setup.sh, where the kernel cannot run 32-bit programs
# TARVEL_I686_RUNNER=qemu forces the qemu path on any kernel (so that it can be checked
# anywhere), =native insists on the native one; unset (or auto), the kernel decides.

# Whether the kernel starts a 32-bit x86 program: a static one of 93 bytes that only calls
# exit(32) through int 0x80. Its exit status is the answer, not a kernel setting, so a
# kernel that has the support but has it switched off answers right too.
tarvel_kernel_runs_i386() {
    local probe status=1
    probe=$(mktemp "${TMPDIR:-/tmp}/tarvel-i386-probe.XXXXXX") || return 1
    local elf=(
        '\x7fELF\x01\x01\x01\x00' '\x00\x00\x00\x00\x00\x00\x00\x00'  # 32-bit, little-endian
        '\x02\x00' '\x03\x00' '\x01\x00\x00\x00'                       # executable, i386
        '\x54\x80\x04\x08' '\x34\x00\x00\x00' '\x00\x00\x00\x00'       # entry; one program header at 52
        '\x00\x00\x00\x00' '\x34\x00' '\x20\x00' '\x01\x00' '\x00\x00' '\x00\x00' '\x00\x00'
        '\x01\x00\x00\x00' '\x00\x00\x00\x00' '\x00\x80\x04\x08' '\x00\x80\x04\x08'  # the whole file,
        '\x5d\x00\x00\x00' '\x5d\x00\x00\x00' '\x05\x00\x00\x00' '\x00\x10\x00\x00'  # read and run
        '\x31\xdb\xb3\x20\x31\xc0\x40\xcd\x80')                        # exit(32)
    if printf '%b' "${elf[@]}" >"$probe" && chmod +x "$probe"; then
        "$probe" 2>/dev/null && status=0 || status=$?
    fi
    rm -f "$probe"
    [ "$status" = 32 ]
}

# Sets TARVEL_I686_RUNNER to native or qemu (deciding it now unless this run decided it
# already) and TARVEL_I686_RUNNER_WHY to the reason, both exported for the programs this
# run starts; the tests read TARVEL_I686_RUNNER to know whether emulation runs them.
tarvel_i686_runner() {
    case "${TARVEL_I686_RUNNER:-auto}" in
        qemu)
            : "${TARVEL_I686_RUNNER_WHY:=forced by TARVEL_I686_RUNNER=qemu}" ;;
        native)
            if [ -z "${TARVEL_I686_RUNNER_WHY:-}" ]; then
                tarvel_kernel_runs_i386 || {
                    echo "TARVEL_I686_RUNNER=native, but this kernel runs no 32-bit programs" >&2; return 1; }
                TARVEL_I686_RUNNER_WHY="the kernel runs 32-bit programs"
            fi ;;
        auto)
            if tarvel_kernel_runs_i386; then
                TARVEL_I686_RUNNER=native TARVEL_I686_RUNNER_WHY="the kernel runs 32-bit programs"
            else
                TARVEL_I686_RUNNER=qemu TARVEL_I686_RUNNER_WHY="the kernel runs no 32-bit programs"
            fi ;;
        *)
            echo "unknown TARVEL_I686_RUNNER '$TARVEL_I686_RUNNER' (native, qemu or auto)" >&2; return 1 ;;
    esac
    export TARVEL_I686_RUNNER TARVEL_I686_RUNNER_WHY
}

# The line every command prints before it runs 32-bit programs: which path runs them, and why.
tarvel_i686_runner_line() {
    tarvel_i686_runner || return
    case "$TARVEL_I686_RUNNER" in
        native) echo "i686: native 32-bit Wine ($TARVEL_I686_RUNNER_WHY)" ;;
        qemu) echo "i686: 32-bit Wine under qemu-user ($TARVEL_I686_RUNNER_WHY)" ;;
    esac
}

# Sourced by the scripts for their command lines: --help prints the comment
# at the top of the script; bad usage is one line that points to --help.

script_help() {
    sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"
}

script_usage_error() {  # MESSAGE
    echo "$0: $1 (see $0 --help)" >&2
    exit 2
}

# For a script that takes no argument but --help.
script_no_arguments() {
    case "${1:-}" in
    "") ;;
    -h | --help)
        echo "usage: $0"
        echo
        script_help
        exit 0
        ;;
    *) script_usage_error "unknown argument $1" ;;
    esac
}

# Sourced: lrx_sample_replays REPLAYGEN DIR writes the project's sample
# replays into DIR: three races of different sizes, an edge case and a tiny one.

lrx_sample_replays() {
    local replaygen=$1 dir=$2
    "$replaygen" --seed 1 --cars 20 --frames 3000 "$dir/race1.rpl" &&
        "$replaygen" --seed 2 --cars 12 --frames 8000 "$dir/race2.rpl" &&
        "$replaygen" --seed 3 --cars 24 --frames 1500 "$dir/sprint.rpl" &&
        "$replaygen" --profile edge --seed 4 "$dir/edge.rpl" &&
        "$replaygen" --profile tiny --seed 5 "$dir/tiny.rpl"
}

#!/usr/bin/env bash
# ostrum -m topdown on a machine of each processor model, counting through the
# simulated PMU: the collector is the one of the machine's model (Q60B and
# Q60E share theirs, a Q50 has none), and every line of its report, in the
# period and in the average, holds the value its formulas give for the rates
# of the rule file.
#
# The rates are a million times the counts of the model's unit test, per CPU
# and second, so the percentages are the same; the totals are the rates times
# the four CPUs counted, less the counts a partial last tick loses.

source "$(dirname "$0")/topdown_common.sh"

rules_q60='4 0x2014 2200000000
4 0x0030 4000000
4 0x002e 1000000
4 0x0011 1000000000
4 0x0027 21000000
4 0x0028 1000000
4 0x0010 16000000
4 0x2013 4000000
4 0x1001 15000000
4 0x201d 500000000
4 0x001b 1200000000
4 0x0008 800000000
4 0x1010 2000000
4 0x1013 1000000
4 0x1016 1000000
4 0x100d 4000000
4 0x2012 1000000
4 0x7000 400000000
4 0x2010 100000000
4 0x2004 50000000
4 0x2006 20000000
4 0x2007 30000000
4 0x2008 70000000
4 0x201e 80000000
4 0x2005 60000000
4 0x7001 600000000
4 0x7004 200000000
4 0x7005 100000000
4 0x7002 5000000
4 0x7003 5000000
4 0x200b 50000000
4 0x200c 30000000
4 0x7006 120000000
4 0x200d 20000000
4 0x7007 70000000'

expected_q60=$(cat <<'EOF'
Front-End Bound:                                55.00%
        Front-End Latency:                      50.00%
                iTLB Miss:                      14.50%
                        L1 iTLB Miss:           4.50%
                        L2 iTLB Miss:           10.00%
                iCache Miss:                    18.00%
                        L1 iCache Miss:         13.50%
                        L2 iCache Miss:         4.50%
                BP_Misp_Flush:                  8.00%
                OoO Rob Flush:                  2.00%
                Static Predictor Flush:         7.50%
        Front End Bound Bandwidth:              5.00%

Bad Speculation:                                10.00%
        Branch Mispredicts:                     8.00%
                Indirect Branch:                1.00%
                Push Branch:                    2.00%
                Other Branch:                   4.00%
        Machine Clears:                         2.00%
                Nuke Flush:                     0.50%
                Other Flush:                    1.50%

Retiring:                                       20.00%

Back-End Bound:                                 15.00%
        Resource Bound:                         6.00%
                Sync_stall:                     1.50%
                Rob_stall:                      0.75%
                Ptag_stall:                     1.80%
                SaveOpQ_stall:                  1.20%
                PC_buffer_stall:                0.90%
                Other_stall:                    1.35%
        Core Bound:                             4.50%
                Divider:                        0.50%
                FSU_stall:                      0.50%
                Exe Ports Util:                 3.50%
                        ALU BRU IssueQ Full:    1.75%
                        LS IssueQ Full:         1.05%
                        FSU IssueQ Full:        0.70%
        Memory Bound:                           4.50%
                L1 Bound:                       1.20%
                L2 Bound:                       0.75%
                L3 or DRAM Bound:               1.05%
                Store Bound:                    1.50%
EOF
)

rules_q60b='4 0x2011 1800000000
4 0x0030 2000000
4 0x002e 1000000
4 0x0011 1000000000
4 0x0027 77000000
4 0x0028 33000000
4 0x0010 8000000
4 0x2010 2000000
4 0x104f 1000000
4 0x2012 200000000
4 0x001b 3000000000
4 0x0008 2400000000
4 0x1010 2000000
4 0x1013 1000000
4 0x1016 2000000
4 0x100d 1000000
4 0x200f 1000000
4 0x7001 600000000
4 0x7002 25000000
4 0x7003 50000000
4 0x7004 75000000
4 0x700a 10000000
4 0x700b 20000000
4 0x700c 30000000
4 0x700d 40000000
4 0x700e 50000000
4 0x700f 60000000
4 0x7010 70000000
4 0x7011 120000000
4 0x7005 250000000
4 0x7006 100000000
4 0x7007 150000000
4 0x7008 100000000
4 0x7009 60000000
4 0x5090 1000000
4 0x5091 2000000
4 0x5092 3000000
4 0x5093 4000000
4 0x5094 5000000
4 0x5095 6000000
4 0x5096 19000000
4 0x701e 10000000
4 0x701f 5000000
4 0x7020 5000000
4 0x7021 20000000
4 0x7022 10000000
4 0x7023 10000000
4 0x50a0 40000000
4 0x50a2 20000000
4 0x50a3 40000000
4 0x50a4 20000000'

expected_q60b=$(cat <<'EOF'
Front-End Bound:                                30.00%
        Front-End Latency:                      20.00%
                iTLB Miss:                      11.50%
                iCache Miss:                    3.00%
                BP_Misp_Flush:                  4.00%
                OoO Rob Flush:                  1.00%
                Static Predictor Flush:         0.50%
        Front End Bound Bandwidth:              10.00%

Bad Speculation:                                10.00%
        Branch Mispredicts:                     8.00%
                Indrect Branch:                 2.00%
                Push Branch:                    3.00%
                Pop Branch:                     1.00%
                Other Branch:                   4.00%
        Machine Clears:                         2.00%
                Nuke Flush:                     1.00%
                Other Flush:                    1.00%

Retiring:                                       40.00%

Back-End Bound:                                 20.00%
        Core Bound:                             5.00%
                FDivider Stall:                 0.50%
                Divider Stall:                  1.00%
                FSU Stall:                      1.50%
                Exe Ports Util:                 2.00%
                        0 ports seralize:       0.05%
                        0 ports non seralize:   0.10%
                        1 ports:                0.15%
                        2 ports:                0.20%
                        3 ports:                0.25%
                        4 ports:                0.30%
                        5 ports:                0.35%
                        6p ports:               0.60%
        Memory Bound:                           7.00%
                L1 Bound:                       2.00%
                        DTLB MISS:              0.05%
                        Misalign:               0.10%
                        Resource Full:          0.15%
                        Instruction Type:       0.20%
                        Forward Hazard:         0.25%
                        Structure Hazard:       0.30%
                        Other:                  0.95%
                L2 Bound:                       1.00%
                        Buffer Pending:         0.20%
                        Snoop Pending:          0.10%
                        Arb Idl:                0.10%
                        Other:                  0.60%
                L3 Bound:                       0.80%
                Mem Bound:                      1.20%
                        Local DRAM:             0.60%
                        Remote DRAM:            0.30%
                        Remote Cache:           0.30%
                Store Bound:                    2.00%
                        SCA Full:               1.00%
                        Head no Pgen:           0.25%
                        Ordel Fail:             0.50%
                        Other:                  0.25%
EOF
)

rules_q60c='4 0x1f21 2400000000
4 0x1f22 200000000
4 0x1f10 30000000
4 0x1f11 20000000
4 0x1f12 11000000
4 0x1f13 12000000
4 0x1f14 13000000
4 0x1f15 14000000
4 0x1f16 15000000
4 0x1f17 16000000
4 0x1f18 17000000
4 0x1f19 18000000
4 0x1f1a 19000000
4 0x1f1b 21000000
4 0x1f1c 22000000
4 0x0011 1000000000
4 0x001b 3000000000
4 0x0008 2400000000
4 0x0010 8000000
4 0x1010 2000000
4 0x1013 1000000
4 0x1016 2000000
4 0x100d 1000000
4 0x203f 1000000
4 0x2040 2000000
4 0x7001 600000000
4 0x7002 25000000
4 0x7003 50000000
4 0x7004 75000000
4 0x700a 10000000
4 0x700b 20000000
4 0x700c 30000000
4 0x700d 40000000
4 0x700e 50000000
4 0x700f 60000000
4 0x7010 70000000
4 0x7011 80000000
4 0x7012 90000000
4 0x7013 550000000
4 0x7005 250000000
4 0x7006 100000000
4 0x7007 150000000
4 0x7008 100000000
4 0x7009 60000000
4 0x5090 1000000
4 0x5091 2000000
4 0x5092 3000000
4 0x5093 4000000
4 0x5094 5000000
4 0x5095 6000000
4 0x5096 19000000
4 0x701e 10000000
4 0x701f 5000000
4 0x7020 5000000
4 0x7021 20000000
4 0x7022 10000000
4 0x7023 10000000
4 0x50a0 40000000
4 0x50a2 20000000
4 0x50a3 40000000
4 0x50a4 20000000'

expected_q60c=$(cat <<'EOF'
Front-End Bound:                                30.00%
        Front-End Latency:                      20.00%
        iCache/iTLB Miss:                       5.00%
                iTLB Miss:                      2.00%
                iCache Miss:                    3.00%
        OoO Flush Bubble:                       1.10%
        SP Flush Bubble:                        1.20%
        Bru Flush Bubble:                       1.30%
        B5 Flush Bubble:                        1.40%
        B3 Flush Bubble:                        1.50%
        B2 Flush Bubble:                        1.60%
        BP Stall Bubble:                        1.70%
                TGT Full Bubble:                1.80%
                BRQ Full Bubble:                1.90%
                RS Full Bubble:                 2.10%
                CXT Full Bubble:                2.20%
        Front End Bound Bandwidth:              10.00%

Bad Speculation:                                10.00%
        Branch Mispredicts:                     8.00%
                Indrect Branch:                 2.00%
                Push Branch:                    3.00%
                Pop Branch:                     1.00%
                Other Branch:                   4.00%
        Machine Clears:                         2.00%
                Nuke Flush:                     1.00%
                Other Flush:                    1.00%

Retiring:                                       40.00%

Back-End Bound:                                 20.00%
        Core Bound:                             5.00%
                FDivider Stall:                 0.50%
                Divider Stall:                  1.00%
                FSU Stall:                      1.50%
                Exe Ports Util:                 2.00%
                        0 ports seralize:       0.02%
                        0 ports non seralize:   0.04%
                        1 ports:                0.06%
                        2 ports:                0.08%
                        3 ports:                0.10%
                        4 ports:                0.12%
                        5 ports:                0.14%
                        6 ports:                0.16%
                        7 ports:                0.18%
                        8p ports:               1.10%
        Memory Bound:                           7.00%
                L1 Bound:                       2.00%
                        DTLB MISS:              0.05%
                        Misalign:               0.10%
                        Resource Full:          0.15%
                        Instruction Type:       0.20%
                        Forward Hazard:         0.25%
                        Structure Hazard:       0.30%
                        Other:                  0.95%
                L2 Bound:                       1.00%
                        Buffer Pending:         0.20%
                        Snoop Pending:          0.10%
                        Arb Idl:                0.10%
                        Other:                  0.60%
                L3 Bound:                       0.80%
                Mem Bound:                      1.20%
                        Local DRAM:             0.60%
                        Remote DRAM:            0.30%
                        Remote Cache:           0.30%
                Store Bound:                    2.00%
                        SCA Full:               1.00%
                        Head no Pgen:           0.25%
                        Ordel Fail:             0.50%
                        Other:                  0.25%
EOF
)

rules_q60f='4 0x200e 1200000000
4 0x200f 200000000
4 0x0030 3000000
4 0x002e 1000000
4 0x0027 5000000
4 0x0028 2000000
4 0x2a17 4000000
4 0x1052 3000000
4 0x0010 16000000
4 0x0011 1000000000
4 0x001b 2800000000
4 0x0008 2400000000
4 0x1010 2000000
4 0x1013 1000000
4 0x1016 3000000
4 0x100d 2000000
4 0x2a16 1000000
4 0x7000 100000000
4 0x7001 700000000
4 0x2004 901000000
4 0x2005 902000000
4 0x2006 903000000
4 0x2007 904000000
4 0x2008 905000000
4 0x200b 906000000
4 0x200c 907000000
4 0x200d 908000000
4 0x7002 25000000
4 0x7003 50000000
4 0x7004 75000000
4 0x7005 250000000
4 0x7006 100000000
4 0x7007 150000000
4 0x7008 100000000
4 0x7009 60000000
4 0x700a 50000000
4 0x700b 100000000
4 0x700c 150000000
4 0x700d 200000000
4 0x700e 300000000
4 0x7011 200000000
4 0x701e 10000000
4 0x701f 5000000
4 0x7020 5000000'

expected_q60f=$(cat <<'EOF'
Front-End Bound:                                30.00%
        Front-End Latency:                      20.00%
        iTLB Miss:                              13.00%
        iCache Miss:                            24.50%
        OoO Flush Bubble:                       3.60%
        SP Flush Bubble:                        1.50%
        BP Misp Flush:                          8.00%
        Front End Bound Bandwidth:              10.00%

Bad Speculation:                                10.00%
        Branch Mispredicts:                     8.00%
                Indrect Branch:                 1.00%
                Push Branch:                    2.00%
                Pop Branch:                     1.00%
                Other Branch:                   5.00%
        Machine Clears:                         2.00%
                Nuke Flush:                     0.50%
                Other Flush:                    1.50%

Retiring:                                       40.00%

Back-End Bound:                                 20.00%
        Resource Bound:                         10.00%
        Core Bound:                             5.00%
                FDivider Stall:                 0.50%
                Divider Stall:                  1.00%
                FSU Stall:                      1.50%
                Exe Ports Util:                 2.00%
                        0 ports seralize:       0.10%
                        0 ports non seralize:   0.20%
                        1 ports:                0.30%
                        2 ports:                0.40%
                        3 ports:                0.60%
                        4p ports:               0.40%
        Memory Bound:                           7.00%
                L1 Bound:                       2.00%
                L2 Bound:                       1.00%
                        Buffer Pending:         0.20%
                        Snoop Pending:          0.10%
                        Arb Idl:                0.10%
                        Other:                  0.60%
                L3 Bound:                       0.80%
                Mem Bound:                      1.20%
                Store Bound:                    2.00%
EOF
)

# check_model <label> <machine root> <rules> <expected trees> <instructions/s> <cycles/s> <IPC>
check_model() {
    local label=$1 root=$2 rules=$3 expected=$4 instructions=$5 cycles=$6 ipc=$7
    run_ostrum "$root" "$rules" -m topdown -t 1 -i 1 -c 0-3
    [ "$status" -eq 0 ] || fail "$label: ostrum exited with $status: $err"
    local blocks
    blocks=$(grep -c -F "Top-down Analysis Summary" <<< "$out")
    [ "$blocks" -eq 2 ] || fail "$label: expected a period and an average report, found $blocks"
    local n
    for n in 1 2; do
        local block
        block=$(topdown_block "$out" "$n")
        expect_frame "$label report $n" "$block" "-1" "0-3" "$((instructions * 4))" "$((cycles * 4))" "$ipc"
        expect_trees "$label report $n" "$block" "$expected"
    done
}

check_model Q60 "$QUENDAR_FIXTURES/machines/q60-2s" "$rules_q60" "$expected_q60" 800000000 1000000000 0.80
check_model Q60B "$QUENDAR_FIXTURES/machines/q60b-1s" "$rules_q60b" "$expected_q60b" 2400000000 1000000000 2.40
check_model Q60C "$QUENDAR_FIXTURES/machines/q60c" "$rules_q60c" "$expected_q60c" 2400000000 1000000000 2.40
check_model Q60F "$QUENDAR_FIXTURES/machines/q60f" "$rules_q60f" "$expected_q60f" 2400000000 1000000000 2.40

# A Q60E counts with the collector of the Q60B: the same events and formulas.
check_model Q60E "$QUENDAR_FIXTURES/machines/q60e-1s" "$rules_q60b" "$expected_q60b" 2400000000 1000000000 2.40

# A Q50 has no top-down model: the run ends normally without the report.
run_ostrum "$QUENDAR_FIXTURES/machines/q50" '4 * 1000' -m topdown -t 1 -i 1 -c 0-3
[ "$status" -eq 0 ] || fail "Q50: ostrum exited with $status: $err"
if grep -q -F "Top-down Analysis Summary" <<< "$out"; then
    fail "Q50: a top-down report was printed"
fi

finish

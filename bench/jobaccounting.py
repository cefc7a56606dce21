#!/usr/bin/env python3
"""Times a per-user basic job accounting report, RUNS times, each run both ways in turn so that
the two see the same load (the machine is shared), medians quoted:
- the plug-in alone: create, status every 5 ms, fetch, delete, straight to velm-peers;
- end to end through velm-report: generate, status every 50 ms until the report is finished, then
  its results (a copy of the whole document, UTF-16, over HTTP).
The flow's overhead is the time from generate to the finished report beyond the plug-in alone
in the same run: its 500 ms polling, fetching the result and copying it into the report document.
The plug-in's computation is timed where it computes (its log, one line per report) and taken off
both ways, since it varies far more from run to run than the overhead itself.
Wall times on a shared machine are noisy, so the CPU time each process spends is shown beside
them: velm-report's until the report is finished is the flow's own work, once the CPU it spent
answering this client's status requests (measured on the finished report) is taken off.
   jobaccounting.py PEERS_PORT REPORT_PORT FROM TO RUNS PEERS_PID REPORT_PID PEERS_LOG
"""
import os
import http.client
import re
import statistics
import sys
import time

peers_port, report_port, start, end, runs, peers_pid, report_pid = (int(a) for a in sys.argv[1:8])
peers_log = sys.argv[8]
ticks = os.sysconf('SC_CLK_TCK')


def cpu_seconds(pid):
    with open('/proc/%d/stat' % pid) as stat:
        fields = stat.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def call(port, command, body, encoding):
    connection = http.client.HTTPConnection('127.0.0.1', port, timeout=600)
    payload = ('<?xml version="1.0" encoding="UTF-8"?><VXNRequest command="%s">%s</VXNRequest>'
               % (command, body)).encode()
    connection.request('GET', '/' + command, body=payload, headers={'Content-Type': 'text/xml'})
    answer = connection.getresponse().read()
    connection.close()
    return answer.decode(encoding, errors='replace')


def element(text, name):
    found = re.search(r'<%s>([^<]*)</%s>' % (name, name), text)
    return found.group(1) if found else None


def computed_seconds(run):
    """Runs `run`; answers its answer and the computation time of the report it had computed."""
    with open(peers_log, 'rb') as log:
        before = len(log.read())
    answer = run()
    with open(peers_log, 'rb') as log:
        found = re.findall(rb'computed in (\d+) ms', log.read()[before:])
    if len(found) != 1:
        sys.exit('expected one computation in the plug-in\'s log, found %d' % len(found))
    return answer, int(found[0]) / 1000.0


def plugin_alone():
    t0 = time.monotonic()
    created = call(peers_port, 'RGPCreateJACReport',
                   '<ReportType>RT_JAC_USER_BASIC</ReportType><StartTime>%d</StartTime>'
                   '<EndTime>%d</EndTime><GroupBy>User</GroupBy><SortUsersBy>SB_USER_LOGIN'
                   '</SortUsersBy>' % (start, end), 'utf-8')
    handle = element(created, 'JACReportID')
    while element(call(peers_port, 'RGPGetJACReportStatus',
                       '<JACReportID>%s</JACReportID>' % handle, 'utf-8'), 'Progress') != '100':
        time.sleep(0.005)
    result = call(peers_port, 'RGPGetJACReportResult', '<JACReportID>%s</JACReportID>' % handle,
                  'utf-8')
    call(peers_port, 'RGPDeleteJACReportResult', '<JACReportID>%s</JACReportID>' % handle, 'utf-8')
    return time.monotonic() - t0, len(result), result.count('<User>')


def report_status(report):
    status = call(report_port, 'RGPGetReportStatus', '<Report ID="%s"/>' % report, 'utf-16')
    if element(status, 'Result') != '0':
        sys.exit('report failed: ' + status)
    return element(status, 'ReportStatus')


def end_to_end():
    t0 = time.monotonic()
    report_cpu, peers_cpu = cpu_seconds(report_pid), cpu_seconds(peers_pid)
    generated = call(report_port, 'RGPGenerateReport',
                     '<Report><ReportType>RT_JAC_USER_BASIC</ReportType><Period>P_CUSTOM</Period>'
                     '<From>%d</From><To>%d</To><GroupBy>User</GroupBy><SortBy>SB_USER_LOGIN'
                     '</SortBy></Report>' % (start, end), 'utf-16')
    report = re.search(r'ID="(\d+)"', generated).group(1)
    polls = 1
    # Not faster: velm-report's CPU time would count serving this client's polls.
    while report_status(report) != '100':
        time.sleep(0.05)
        polls += 1
    finished = time.monotonic() - t0
    cpu = (cpu_seconds(report_pid) - report_cpu, cpu_seconds(peers_pid) - peers_cpu)
    results = call(report_port, 'RGPGetReportResults', '<Report ID="%s"/>' % report, 'utf-16')
    if element(results, 'Result') != '0':
        sys.exit('report failed: ' + results[:300])
    return (time.monotonic() - t0, finished, cpu, polls, report, len(results),
            results.count('<User>'))


def status_cpu(report, count=200):
    """velm-report's CPU for one status request, asked of a finished report."""
    before = cpu_seconds(report_pid)
    for _ in range(count):
        report_status(report)
    return (cpu_seconds(report_pid) - before) / count


alone, total, finished, overhead, flow_cpu, plugin_cpu, computed = [], [], [], [], [], [], []
for _ in range(runs):
    (alone_time, alone_chars, alone_users), alone_computed = computed_seconds(plugin_alone)
    (run_total, run_finished, (report_cpu, peers_cpu), polls, report, total_chars,
     total_users), run_computed = computed_seconds(end_to_end)
    per_poll = status_cpu(report)
    alone.append(alone_time)
    total.append(run_total)
    finished.append(run_finished)
    computed += [alone_computed, run_computed]
    overhead.append((run_finished - run_computed) - (alone_time - alone_computed))
    flow_cpu.append(max(0.0, report_cpu - polls * per_poll))
    plugin_cpu.append(peers_cpu)


def median(values):
    return statistics.median(values)


def listed(values):
    return ' '.join('%.2f' % v for v in values)


print('medians of %d runs, each run both ways in turn; load average %s'
      % (runs, ' '.join('%.1f' % l for l in os.getloadavg())))
print('plug-in\'s computation %.3f s  [%s]  (timed where it computes)'
      % (median(computed), listed(computed)))
print('plug-in alone:        %.3f s  [%s]  (%d users, %d characters of result)'
      % (median(alone), listed(alone), alone_users, alone_chars))
print('report finished:      %.3f s  [%s]' % (median(finished), listed(finished)))
print('end to end:           %.3f s  [%s]  (with the results: %d users, %d characters)'
      % (median(total), listed(total), total_users, total_chars))
shares = [100.0 * o / f for o, f in zip(overhead, finished)]
print('flow overhead:        %.3f s = %.1f%% of the finished report [%s], %.1f%% of end to end '
      '(each run\'s computation taken off)'
      % (median(overhead), median(shares), ' '.join('%.0f%%' % s for s in shares),
         100.0 * median(overhead) / median(total)))
cpu_shares = [100.0 * f / (f + p) for f, p in zip(flow_cpu, plugin_cpu)]
print('CPU until finished:   velm-report (the flow) %.3f s, velm-peers (the plug-in) %.3f s: '
      'the flow is %.1f%% of the CPU (its client\'s status requests taken off)'
      % (median(flow_cpu), median(plugin_cpu), median(cpu_shares)))

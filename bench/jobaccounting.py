#!/usr/bin/env python3
"""Times a per-user basic job accounting report, best of RUNS:
- the plug-in alone: create, status every 5 ms, fetch, delete, straight to velm-peers;
- end to end through velm-report: generate, status every 50 ms until the report is finished, then
  its results (a copy of the whole document, UTF-16, over HTTP).
The flow's overhead is the time from generate to the finished report beyond the plug-in alone:
its 500 ms polling, fetching the result and copying it into the report document.
Wall times on a shared machine are noisy, so the CPU time each process spends is shown beside
them: velm-report's share until the report is finished is the flow's own work.
   jobaccounting.py PEERS_PORT REPORT_PORT FROM TO RUNS PEERS_PID REPORT_PID
"""
import os
import http.client
import re
import sys
import time

peers_port, report_port, start, end, runs, peers_pid, report_pid = (int(a) for a in sys.argv[1:8])
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


def plugin_alone():
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
    return len(result), result.count('<User>')


def end_to_end():
    t0 = time.monotonic()
    report_cpu, peers_cpu = cpu_seconds(report_pid), cpu_seconds(peers_pid)
    generated = call(report_port, 'RGPGenerateReport',
                     '<Report><ReportType>RT_JAC_USER_BASIC</ReportType><Period>P_CUSTOM</Period>'
                     '<From>%d</From><To>%d</To><GroupBy>User</GroupBy><SortBy>SB_USER_LOGIN'
                     '</SortBy></Report>' % (start, end), 'utf-16')
    report = re.search(r'ID="(\d+)"', generated).group(1)
    while True:
        status = call(report_port, 'RGPGetReportStatus', '<Report ID="%s"/>' % report, 'utf-16')
        if element(status, 'Result') != '0':
            sys.exit('report failed: ' + status)
        if element(status, 'ReportStatus') == '100':
            break
        # Not faster: velm-report's CPU time would count serving this client's polls.
        time.sleep(0.05)
    finished = time.monotonic() - t0
    cpu = (cpu_seconds(report_pid) - report_cpu, cpu_seconds(peers_pid) - peers_cpu)
    results = call(report_port, 'RGPGetReportResults', '<Report ID="%s"/>' % report, 'utf-16')
    if element(results, 'Result') != '0':
        sys.exit('report failed: ' + results[:300])
    return len(results), results.count('<User>'), finished, cpu


def best(run):
    times, shape = [], None
    for _ in range(runs):
        t0 = time.monotonic()
        shape = run()
        times.append(time.monotonic() - t0)
    return min(times), shape


alone, (alone_chars, alone_users) = best(plugin_alone)
total, (total_chars, total_users, finished, (flow_cpu, plugin_cpu)) = best(end_to_end)
print('plug-in alone:        %.3f s  (%d users, %d characters of result)'
      % (alone, alone_users, alone_chars))
print('report finished:      %.3f s' % finished)
print('end to end:           %.3f s  (with the results: %d users, %d characters)'
      % (total, total_users, total_chars))
print('flow overhead:        %.3f s = %.1f%% of the finished report, %.1f%% of end to end'
      % (finished - alone, 100.0 * (finished - alone) / finished,
         100.0 * (finished - alone) / total))
print('CPU until finished:   velm-report (the flow) %.3f s, velm-peers (the plug-in) %.3f s: '
      'the flow is %.1f%% of the CPU' % (flow_cpu, plugin_cpu,
                                         100.0 * flow_cpu / (flow_cpu + plugin_cpu)))

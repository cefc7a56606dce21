-- One request per connection, as peers of the service send them: the body and Connection: close.
wrk.method = "GET"
wrk.path = "/BenchUnknownCommand"
wrk.body = '<VXNRequest command="BenchUnknownCommand"/>'
wrk.headers["Connection"] = "close"

function done(summary, latency, requests)
  local e = summary.errors
  local failed = e.connect + e.read + e.write + e.status + e.timeout
  io.write(string.format("RESULT %d %.1f %d %.3f %.3f\n", summary.requests,
    summary.requests / (summary.duration / 1e6), failed,
    latency:percentile(50) / 1000, latency:percentile(99) / 1000))
end

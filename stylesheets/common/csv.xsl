<?xml version="1.0" encoding="UTF-8"?>
<!-- A report as one comma-separated table for spreadsheets (RFC 4180): UTF-8 with a byte-order
     mark, the locale's separator, one header row of translated labels, then one line per row of
     the report. Rows of per-device reports carry their device's id and columns in front. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:k="urn:velm:kinds" exclude-result-prefixes="k">
  <xsl:include href="report.xsl"/>
  <xsl:output method="text" encoding="UTF-8"/>

  <xsl:variable name="crlf" select="'&#13;&#10;'"/>
  <xsl:variable name="quote" select="'&quot;'"/>
  <!-- A spreadsheet runs a cell that starts with one of these as a formula. -->
  <xsl:variable name="formula-starts" select="'=+-@&#9;&#13;'"/>

  <xsl:key name="simple-property" match="Body/Device/*[not(RowIndex)]" use="name()"/>
  <xsl:key name="table-property" match="Body/Device/*[RowIndex]" use="name()"/>

  <xsl:template match="/">
    <xsl:text>&#xFEFF;</xsl:text>
    <xsl:apply-templates select="$body"/>
  </xsl:template>

  <xsl:template match="Body">
    <xsl:choose>
      <xsl:when test="ChartPath">
        <xsl:call-template name="label-field"><xsl:with-param name="key" select="'chart'"/></xsl:call-template>
        <xsl:value-of select="$crlf"/>
        <xsl:call-template name="field"><xsl:with-param name="value" select="ChartPath"/></xsl:call-template>
        <xsl:value-of select="$crlf"/>
      </xsl:when>
      <xsl:when test="Columns"><xsl:call-template name="counter-rows"/></xsl:when>
      <xsl:when test="$jac-kind"><xsl:call-template name="jac-rows"/></xsl:when>
      <xsl:when test="Device/Report">
        <xsl:call-template name="rows">
          <xsl:with-param name="owner-fields" select="Device[1]/@ID | Device[1]/*[not(self::Report)]"/>
          <xsl:with-param name="columns" select="(Device/Report/Row)[1]/*"/>
          <xsl:with-param name="rows" select="Device/Report/Row"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="Device"><xsl:call-template name="property-rows"/></xsl:when>
      <xsl:when test="Report/Row">
        <xsl:call-template name="rows">
          <xsl:with-param name="columns" select="Report[Row][1]/Row[1]/*"/>
          <xsl:with-param name="rows" select="Report/Row"/>
        </xsl:call-template>
      </xsl:when>
    </xsl:choose>
  </xsl:template>

  <!-- Rows whose cells are found by the names of the column elements given; the owner fields
       come from the row's device (the parent of its Report). -->
  <xsl:template name="rows">
    <xsl:param name="owner-fields" select="/.."/>
    <xsl:param name="columns"/>
    <xsl:param name="rows"/>
    <xsl:for-each select="$owner-fields">
      <xsl:call-template name="label-field"><xsl:with-param name="key" select="name()"/></xsl:call-template>
      <xsl:value-of select="$csv-separator"/>
    </xsl:for-each>
    <xsl:for-each select="$columns">
      <xsl:sort select="string-length(substring-before(concat($column-order, name(), ' '), concat(' ', name(), ' ')))"
                data-type="number"/>
      <xsl:if test="position() &gt; 1"><xsl:value-of select="$csv-separator"/></xsl:if>
      <xsl:call-template name="label-field"><xsl:with-param name="key" select="name()"/></xsl:call-template>
    </xsl:for-each>
    <xsl:value-of select="$crlf"/>
    <xsl:for-each select="$rows">
      <xsl:variable name="row" select="."/>
      <xsl:for-each select="$owner-fields">
        <xsl:call-template name="field"><xsl:with-param name="value" select="$row/../../@*[name() = name(current())] | $row/../../*[name() = name(current())]"/></xsl:call-template>
        <xsl:value-of select="$csv-separator"/>
      </xsl:for-each>
      <xsl:for-each select="$columns">
        <xsl:sort select="string-length(substring-before(concat($column-order, name(), ' '), concat(' ', name(), ' ')))"
                  data-type="number"/>
        <xsl:if test="position() &gt; 1"><xsl:value-of select="$csv-separator"/></xsl:if>
        <xsl:call-template name="field"><xsl:with-param name="value" select="$row/*[name() = name(current())]"/></xsl:call-template>
      </xsl:for-each>
      <xsl:value-of select="$crlf"/>
    </xsl:for-each>
  </xsl:template>

  <!-- Counter reports: device columns (per device), Period or the summary's group, counters, Total. -->
  <xsl:template name="counter-rows">
    <xsl:variable name="fields" select="Columns/Column/@field"/>
    <xsl:variable name="rows" select="Device/Report/Row | Report/Row"/>
    <xsl:variable name="owner-fields" select="Device[Report/Row][1]/@ID | Device[Report/Row][1]/*[not(self::Report)]"/>
    <xsl:variable name="keys" select="$rows[1]/*[not(name() = $fields) and name() != 'Total']"/>
    <xsl:for-each select="$owner-fields | $keys">
      <xsl:call-template name="label-field"><xsl:with-param name="key" select="name()"/></xsl:call-template>
      <xsl:value-of select="$csv-separator"/>
    </xsl:for-each>
    <xsl:for-each select="Columns/Column">
      <xsl:call-template name="label-field"><xsl:with-param name="key" select="string(@label)"/></xsl:call-template>
      <xsl:value-of select="$csv-separator"/>
    </xsl:for-each>
    <xsl:call-template name="label-field"><xsl:with-param name="key" select="'Total'"/></xsl:call-template>
    <xsl:value-of select="$crlf"/>
    <xsl:for-each select="$rows">
      <xsl:variable name="row" select="."/>
      <xsl:for-each select="$owner-fields">
        <xsl:call-template name="field"><xsl:with-param name="value" select="$row/../../@*[name() = name(current())] | $row/../../*[name() = name(current())]"/></xsl:call-template>
        <xsl:value-of select="$csv-separator"/>
      </xsl:for-each>
      <xsl:for-each select="$keys">
        <xsl:call-template name="field"><xsl:with-param name="value" select="$row/*[name() = name(current())]"/></xsl:call-template>
        <xsl:value-of select="$csv-separator"/>
      </xsl:for-each>
      <xsl:for-each select="$fields">
        <xsl:call-template name="field"><xsl:with-param name="value" select="$row/*[name() = current()]"/></xsl:call-template>
        <xsl:value-of select="$csv-separator"/>
      </xsl:for-each>
      <xsl:call-template name="field"><xsl:with-param name="value" select="Total"/></xsl:call-template>
      <xsl:value-of select="$crlf"/>
    </xsl:for-each>
  </xsl:template>

  <!-- Device property summary: one line per device, simple properties as columns, each table
       property as one cell holding a line per table row. -->
  <xsl:template name="property-rows">
    <xsl:variable name="simple" select="Device/*[not(RowIndex)][generate-id() = generate-id(key('simple-property', name())[1])]"/>
    <xsl:variable name="tables" select="Device/*[RowIndex][generate-id() = generate-id(key('table-property', name())[1])]"/>
    <xsl:call-template name="label-field"><xsl:with-param name="key" select="'ID'"/></xsl:call-template>
    <xsl:for-each select="$simple | $tables">
      <xsl:value-of select="$csv-separator"/>
      <xsl:call-template name="label-field"><xsl:with-param name="key" select="name()"/></xsl:call-template>
    </xsl:for-each>
    <xsl:value-of select="$crlf"/>
    <xsl:for-each select="Device">
      <xsl:variable name="device" select="."/>
      <xsl:call-template name="field"><xsl:with-param name="value" select="@ID"/></xsl:call-template>
      <xsl:for-each select="$simple">
        <xsl:value-of select="$csv-separator"/>
        <xsl:call-template name="field"><xsl:with-param name="value" select="$device/*[name() = name(current())]"/></xsl:call-template>
      </xsl:for-each>
      <xsl:for-each select="$tables">
        <xsl:value-of select="$csv-separator"/>
        <xsl:variable name="lines">
          <xsl:for-each select="$device/*[name() = name(current())]/RowIndex">
            <xsl:if test="position() &gt; 1"><xsl:text>&#10;</xsl:text></xsl:if>
            <xsl:value-of select="concat('#', @ID, ' ')"/>
            <xsl:for-each select="*">
              <xsl:if test="position() &gt; 1">; </xsl:if>
              <xsl:call-template name="text"><xsl:with-param name="key" select="name()"/></xsl:call-template>
              <xsl:value-of select="concat(': ', .)"/>
            </xsl:for-each>
          </xsl:for-each>
        </xsl:variable>
        <xsl:call-template name="field"><xsl:with-param name="value" select="string($lines)"/></xsl:call-template>
      </xsl:for-each>
      <xsl:value-of select="$crlf"/>
    </xsl:for-each>
  </xsl:template>

  <!-- Job accounting: one line per record, behind its user's or device's fields; the group
       stylesheets order the lines by user group. -->
  <xsl:template name="jac-rows">
    <xsl:variable name="owners" select="$jac-kind/*/*"/>
    <xsl:variable name="owner-fields" select="$owners[Record][1]/*[not(self::Record)]"/>
    <xsl:variable name="fields" select="$jac-records[1]/*[not(contains(name(), 'RecordData'))]"/>
    <xsl:for-each select="$owner-fields | $fields">
      <xsl:call-template name="label-field"><xsl:with-param name="key" select="name()"/></xsl:call-template>
      <xsl:value-of select="$csv-separator"/>
    </xsl:for-each>
    <xsl:for-each select="$jac-counters">
      <xsl:if test="position() &gt; 1"><xsl:value-of select="$csv-separator"/></xsl:if>
      <xsl:call-template name="label-field">
        <xsl:with-param name="key" select="concat(self::k:c, name(self::*[not(self::k:c)]))"/>
      </xsl:call-template>
    </xsl:for-each>
    <xsl:value-of select="$crlf"/>
    <xsl:choose>
      <xsl:when test="$group-by-user-group and $jac-kind/ByUser">
        <xsl:for-each select="$jac-records">
          <xsl:sort select="../GroupName"/>
          <xsl:call-template name="jac-line">
            <xsl:with-param name="owner-fields" select="$owner-fields"/>
            <xsl:with-param name="fields" select="$fields"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="$group-by-user-group">
        <xsl:for-each select="$owners">
          <xsl:for-each select="Record">
            <xsl:sort select="GroupName"/>
            <xsl:call-template name="jac-line">
              <xsl:with-param name="owner-fields" select="$owner-fields"/>
              <xsl:with-param name="fields" select="$fields"/>
            </xsl:call-template>
          </xsl:for-each>
        </xsl:for-each>
      </xsl:when>
      <xsl:otherwise>
        <xsl:for-each select="$jac-records">
          <xsl:call-template name="jac-line">
            <xsl:with-param name="owner-fields" select="$owner-fields"/>
            <xsl:with-param name="fields" select="$fields"/>
          </xsl:call-template>
        </xsl:for-each>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="jac-line">
    <xsl:param name="owner-fields"/>
    <xsl:param name="fields"/>
    <xsl:variable name="record" select="."/>
    <xsl:for-each select="$owner-fields">
      <xsl:call-template name="field"><xsl:with-param name="value" select="$record/../*[name() = name(current())]"/></xsl:call-template>
      <xsl:value-of select="$csv-separator"/>
    </xsl:for-each>
    <xsl:for-each select="$fields">
      <xsl:call-template name="field"><xsl:with-param name="value" select="$record/*[name() = name(current())]"/></xsl:call-template>
      <xsl:value-of select="$csv-separator"/>
    </xsl:for-each>
    <xsl:for-each select="$jac-counters">
      <xsl:if test="position() &gt; 1"><xsl:value-of select="$csv-separator"/></xsl:if>
      <xsl:variable name="counter" select="concat(self::k:c, name(self::*[not(self::k:c)]))"/>
      <xsl:call-template name="field">
        <xsl:with-param name="value" select="$record/*[contains(name(), 'RecordData')]/*[name() = $counter]"/>
      </xsl:call-template>
    </xsl:for-each>
    <xsl:value-of select="$crlf"/>
  </xsl:template>

  <!-- Fields -->
  <xsl:template name="label-field">
    <xsl:param name="key"/>
    <xsl:call-template name="field">
      <xsl:with-param name="value"><xsl:call-template name="text"><xsl:with-param name="key" select="$key"/></xsl:call-template></xsl:with-param>
    </xsl:call-template>
  </xsl:template>

  <!-- One field: text that a spreadsheet would run as a formula gets a leading apostrophe
       (numbers, negative ones too, stay numbers); a field holding the separator, a quote or a
       line break is quoted with its quotes doubled. -->
  <xsl:template name="field">
    <xsl:param name="value"/>
    <xsl:variable name="raw" select="string($value)"/>
    <!-- Tested by expressions rather than built as a fragment: this runs for every cell. -->
    <xsl:variable name="guard" select="$raw != '' and contains($formula-starts, substring($raw, 1, 1))
                                       and string(number($raw)) = 'NaN'"/>
    <xsl:choose>
      <xsl:when test="contains($raw, $csv-separator) or contains($raw, $quote)
                      or contains($raw, '&#10;') or contains($raw, '&#13;')">
        <xsl:value-of select="$quote"/>
        <xsl:if test="$guard">'</xsl:if>
        <xsl:call-template name="double-quotes"><xsl:with-param name="text" select="$raw"/></xsl:call-template>
        <xsl:value-of select="$quote"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:if test="$guard">'</xsl:if>
        <xsl:value-of select="$raw"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="double-quotes">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, $quote)">
        <xsl:value-of select="concat(substring-before($text, $quote), $quote, $quote)"/>
        <xsl:call-template name="double-quotes">
          <xsl:with-param name="text" select="substring-after($text, $quote)"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise><xsl:value-of select="$text"/></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>

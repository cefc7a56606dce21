<?xml version="1.0" encoding="UTF-8"?>
<!-- Usage by period in total pages: counter tables or the chart. As a CSV table. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="csv.xsl"/>
</xsl:stylesheet>

<?xml version="1.0" encoding="UTF-8"?>
<!-- Current total pages of each device: the rows of one table. As a CSV table. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="csv.xsl"/>
</xsl:stylesheet>
